#include "history_menu.h"
#include <string>

namespace {

bool IsSeparator(HMENU menu, int position) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE;
    return GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &item) && (item.fType & MFT_SEPARATOR);
}

void ShowItem(HMENU menu, UINT command, const wchar_t* verb, const wchar_t* step) {
    const std::wstring text = step != nullptr ? std::wstring(verb) + L" " + step : std::wstring(verb);
    ModifyMenuW(menu, command, MF_BYCOMMAND | MF_STRING | (step != nullptr ? MF_ENABLED : MF_GRAYED), command,
                text.c_str());
}

}  // namespace

void AddHistoryMenuItems(HWND window) {
    HMENU menu = GetSystemMenu(window, FALSE);
    if (menu == nullptr) return;
    const int count = GetMenuItemCount(menu);
    int close = count;
    for (int i = 0; i < count; ++i)
        if (GetMenuItemID(menu, i) == SC_CLOSE) close = i;
    int top = close;
    while (top > 0 && !IsSeparator(menu, top - 1)) --top;
    const UINT at = static_cast<UINT>(top);
    InsertMenuW(menu, at, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    InsertMenuW(menu, at, MF_BYPOSITION | MF_STRING | MF_GRAYED, kRedoCommand, L"Redo");
    InsertMenuW(menu, at, MF_BYPOSITION | MF_STRING | MF_GRAYED, kUndoCommand, L"Undo");
}

void ShowHistoryMenuItems(HWND window, const wchar_t* undoStep, const wchar_t* redoStep) {
    HMENU menu = GetSystemMenu(window, FALSE);
    if (menu == nullptr) return;
    ShowItem(menu, kUndoCommand, L"Undo", undoStep);
    ShowItem(menu, kRedoCommand, L"Redo", redoStep);
}
