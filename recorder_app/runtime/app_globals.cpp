#include "app_globals.h"

std::wstring g_appDir;
HWND g_mainWnd = nullptr;
