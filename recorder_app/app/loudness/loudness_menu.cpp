#include "loudness_menu.h"
#include "framework/menu_items.h"

// Right above "Close", in the group that a separator opens above it (made if missing), so
// that it follows the microphone's submenu, which goes to the top of that group.
void AddLoudnessMenuItem(HWND window) {
    HMENU menu = GetSystemMenu(window, FALSE);
    if (menu == nullptr) return;
    const int close = PositionOfCommand(menu, SC_CLOSE);
    const int position = close < 0 ? GetMenuItemCount(menu) : close;
    InsertMenuW(menu, static_cast<UINT>(position), MF_BYPOSITION | MF_STRING | MF_GRAYED, kLoudnessCommand,
                L"Loudness...");
    if (GroupTop(menu, position) == 0) InsertMenuW(menu, static_cast<UINT>(position), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

void EnableLoudnessMenuItem(HWND window, bool enable) {
    HMENU menu = GetSystemMenu(window, FALSE);
    if (menu != nullptr) EnableMenuItem(menu, kLoudnessCommand, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
}
