#include "menu_items.h"

int PositionOfCommand(HMENU menu, UINT command) {
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i)
        if (GetMenuItemID(menu, i) == command) return i;
    return -1;
}

bool IsMenuSeparator(HMENU menu, int position) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE;
    return GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item) && (item.fType & MFT_SEPARATOR);
}

int GroupTop(HMENU menu, int position) {
    while (position > 0 && !IsMenuSeparator(menu, position - 1)) --position;
    return position;
}
