// The "Snap spots to pauses" item of the main window's system menu: checked while a new
// spot goes into a pause near the cursor.
#pragma once
#include <windows.h>

// System-menu command IDs keep their low four bits clear: the system uses them.
constexpr UINT kSnapCommand = 0x2200;

// Puts the item right above "Close", after "Loudness...".
void AddSnapMenuItem(HWND window, bool checked);
void CheckSnapMenuItem(HWND window, bool checked);
