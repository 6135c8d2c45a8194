// The "Loudness..." item of the main window's system menu.
#pragma once
#include <windows.h>

// System-menu command IDs keep their low four bits clear: the system uses them.
constexpr UINT kLoudnessCommand = 0x2000;

// Puts the item in the window's system menu just above "Close" and the separator that
// stands over it, with a separator of its own above when the item before is not one.
void AddLoudnessMenuItem(HWND window);
// Enabled when there is a clip and the window is idle.
void EnableLoudnessMenuItem(HWND window, bool enable);
