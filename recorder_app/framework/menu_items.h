// Finding places in a menu: the window's system menu gets items of the program's own, each
// placed relative to "Close" and the separators around it.
#pragma once
#include <windows.h>

// The position of the item with that command ID; -1 when there is none.
int PositionOfCommand(HMENU menu, UINT command);
bool IsMenuSeparator(HMENU menu, int position);
// The first position of the group that holds `position`: just below the separator above it,
// or 0.
int GroupTop(HMENU menu, int position);
