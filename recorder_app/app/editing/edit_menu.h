// The system menu's items that edit the clip, below Undo and Redo: "Delete selection" and
// "Tighten pauses...".
#pragma once
#include <windows.h>

// System-menu command IDs keep their low four bits clear: the system uses them.
constexpr UINT kDeleteSelectionCommand = 0x2300;
constexpr UINT kTightenPausesCommand = 0x2310;

// Right below "Redo" when it is there, else just above "Close".
void AddEditMenuItems(HWND window);
// "Delete selection" only when idle with a selection, "Tighten pauses..." when idle with a clip.
void EnableEditMenuItems(HWND window, bool canDelete, bool canTighten);
