#include "loudness_menu.h"

namespace {

bool IsSeparator(HMENU menu, int position) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE;
    return GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item) && (item.fType & MFT_SEPARATOR);
}

}  // namespace

// Right above "Close", in the group that a separator opens above it (made if missing), so
// that it follows the microphone's submenu, which goes to the top of that group.
void AddLoudnessMenuItem(HWND window) {
    HMENU menu = GetSystemMenu(window, FALSE);
    if (menu == nullptr) return;
    const int count = GetMenuItemCount(menu);
    int position = count;
    for (int i = 0; i < count; ++i)
        if (GetMenuItemID(menu, i) == SC_CLOSE) position = i;
    InsertMenuW(menu, static_cast<UINT>(position), MF_BYPOSITION | MF_STRING | MF_GRAYED, kLoudnessCommand,
                L"Loudness...");
    int top = position;
    while (top > 0 && !IsSeparator(menu, top - 1)) --top;
    if (top == 0) InsertMenuW(menu, static_cast<UINT>(position), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
}

void EnableLoudnessMenuItem(HWND window, bool enable) {
    HMENU menu = GetSystemMenu(window, FALSE);
    if (menu != nullptr) EnableMenuItem(menu, kLoudnessCommand, MF_BYCOMMAND | (enable ? MF_ENABLED : MF_GRAYED));
}
