// The update check of every start: asks the service for a newer version and, with the user's
// consent, downloads it, hands over to the updater and closes the program.
#pragma once
#include <windows.h>
#include <string>
#include "settings/settings.h"
#include "update_info.h"

// Starts RunUpdateCheck on a thread of its own (inside the crash guard) for the main window.
void StartUpdateCheck(HWND mainWnd);

// Thread body; its argument is the main window. Query failures of every kind are silent.
DWORD RunUpdateCheck(void* mainWnd);

// The update query's address: the service's update program on the configured host, given the
// running version as "ver=<major>.<minor>" (2.8 for 2.08), cut at 511 characters.
std::wstring UpdateQueryAddress(const CSettings& settings, int versionMajor, int versionMinor);

// Queries address and fills info; true exactly when a newer version is offered. Never throws.
bool Check(const std::wstring& address, CUpdateInfo* info);
