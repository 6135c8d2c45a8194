// Messages the custom controls post to their owners.
#pragma once
#include <windows.h>

// Time line -> linked window, then parent: lParam = new position, ms.
constexpr UINT WM_POSITION_CHANGED = WM_APP + 4;
// Scroll bar -> parent: lParam = new view start, ms.
constexpr UINT WM_SCROLL_POSITION_CHANGED = WM_APP + 5;
