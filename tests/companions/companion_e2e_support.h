// What the end-to-end tests of the updater and the crash reporter share: the program's
// registry settings for one test, and the windows of processes the test did not start.
#pragma once
#include <windows.h>
#include <string>
#include "../e2e/app_harness.h"

namespace companions {

// Points the program's "ServerHost" at host for the lifetime of the object; afterwards the
// value it had before is put back (or none, if it had none).
class ServerHostSetting {
public:
    explicit ServerHostSetting(const std::wstring& host);
    ~ServerHostSetting();
    ServerHostSetting(const ServerHostSetting&) = delete;
    ServerHostSetting& operator=(const ServerHostSetting&) = delete;

private:
    std::wstring m_previousHost;
};

std::wstring DistFile(const wchar_t* name);
// A visible dialog-class top-level window of any process whose caption is `caption`; null if
// none came within timeoutMs. Windows of the process `exceptProcess` are skipped.
HWND WaitForDialogTitled(const std::wstring& caption, DWORD timeoutMs = 20000, DWORD exceptProcess = 0);
DWORD ProcessOf(HWND window);
// A message box of the process (another dialog than `except`), as the harness reads one.
e2e::MessageBoxInfo WaitForBoxOf(DWORD processId, HWND except, DWORD timeoutMs = 20000);
// Clicks the box's button and waits until the box is gone.
bool Answer(const e2e::MessageBoxInfo& box, int buttonId);
// Waits for the process to end; its exit code, or STILL_ACTIVE on time-out.
DWORD WaitForProcessExit(DWORD processId, DWORD timeoutMs = 20000);
void EndProcess(DWORD processId);

}  // namespace companions
