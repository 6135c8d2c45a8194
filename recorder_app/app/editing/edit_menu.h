// The system menu's items that edit the clip, below Undo and Redo: "Delete selection".
#pragma once
#include <windows.h>

// System-menu command IDs keep their low four bits clear: the system uses them.
constexpr UINT kDeleteSelectionCommand = 0x2300;

// Right below "Redo" when it is there, else just above "Close".
void AddEditMenuItems(HWND window);
// "Delete selection" only when idle with a selection.
void EnableEditMenuItems(HWND window, bool canDelete);
