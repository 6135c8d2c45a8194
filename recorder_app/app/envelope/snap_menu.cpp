#include "snap_menu.h"

#include "framework/menu_items.h"

void AddSnapMenuItem(HWND window, bool checked) {
    HMENU menu = GetSystemMenu(window, FALSE);
    if (menu == nullptr) return;
    const int close = PositionOfCommand(menu, SC_CLOSE);
    const int position = close < 0 ? GetMenuItemCount(menu) : close;
    InsertMenuW(menu, static_cast<UINT>(position), MF_BYPOSITION | MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED),
                kSnapCommand, L"Snap spots to pauses");
    if (GroupTop(menu, position) == 0) InsertMenuW(menu, static_cast<UINT>(position), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

void CheckSnapMenuItem(HWND window, bool checked) {
    HMENU menu = GetSystemMenu(window, FALSE);
    if (menu != nullptr) CheckMenuItem(menu, kSnapCommand, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}
