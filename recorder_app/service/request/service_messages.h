// Messages the service workers send (SendMessage) to their progress dialogs.
#pragma once
#include <windows.h>

// wParam = outcome (meaning per sender), lParam = the request object or 0.
constexpr UINT WM_REQUEST_DONE = WM_APP + 2;
// wParam = 0, lParam = bytes transferred so far.
constexpr UINT WM_TRANSFER_PROGRESS = WM_APP + 3;
