// Process-wide values set at start-up and read everywhere.
#pragma once
#include <windows.h>
#include <string>

// The program's folder with its trailing backslash; also the current directory.
extern std::wstring g_appDir;
// The main window, once shown; owner of the crash question.
extern HWND g_mainWnd;
