#include "history_menu.h"
#include <string>
#include "framework/menu_items.h"

namespace {

void ShowItem(HMENU menu, UINT command, const wchar_t* verb, const wchar_t* step) {
    const std::wstring text = step != nullptr ? std::wstring(verb) + L" " + step : std::wstring(verb);
    ModifyMenuW(menu, command, MF_BYCOMMAND | MF_STRING | (step != nullptr ? MF_ENABLED : MF_GRAYED), command,
                text.c_str());
}

}  // namespace

void AddHistoryMenuItems(HWND window) {
    HMENU menu = GetSystemMenu(window, FALSE);
    if (menu == nullptr) return;
    const int close = PositionOfCommand(menu, SC_CLOSE);
    const UINT at = static_cast<UINT>(GroupTop(menu, close < 0 ? GetMenuItemCount(menu) : close));
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
