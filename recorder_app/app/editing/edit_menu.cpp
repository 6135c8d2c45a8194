#include "app/editing/edit_menu.h"

#include "app/history/history_menu.h"
#include "framework/menu_items.h"

void AddEditMenuItems(HWND window) {
    HMENU menu = GetSystemMenu(window, FALSE);
    if (menu == nullptr) return;
    int at = PositionOfCommand(menu, kRedoCommand);
    if (at >= 0) {
        ++at;
    } else {
        const int close = PositionOfCommand(menu, SC_CLOSE);
        at = close < 0 ? GetMenuItemCount(menu) : close;
    }
    InsertMenuW(menu, static_cast<UINT>(at), MF_BYPOSITION | MF_STRING | MF_GRAYED, kDeleteSelectionCommand,
                L"Delete selection");
    InsertMenuW(menu, static_cast<UINT>(at + 1), MF_BYPOSITION | MF_STRING | MF_GRAYED, kTightenPausesCommand,
                L"Tighten pauses...");
}

void EnableEditMenuItems(HWND window, bool canDelete, bool canTighten) {
    HMENU menu = GetSystemMenu(window, FALSE);
    if (menu == nullptr) return;
    EnableMenuItem(menu, kDeleteSelectionCommand, MF_BYCOMMAND | (canDelete ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(menu, kTightenPausesCommand, MF_BYCOMMAND | (canTighten ? MF_ENABLED : MF_GRAYED));
}
