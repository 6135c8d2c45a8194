#include "companion_e2e_support.h"

namespace companions {

namespace {

constexpr wchar_t kRecorderKey[] = L"Software\\QuillbankRecorder";

bool IsVisibleDialog(HWND window) {
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    return lstrcmpW(name, L"#32770") == 0 && IsWindowVisible(window);
}

struct TitleSearch {
    const std::wstring* caption;
    DWORD exceptProcess;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TitleSearch*>(param);
    if (IsVisibleDialog(window) && e2e::WindowText(window) == *search->caption &&
        ProcessOf(window) != search->exceptProcess) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

ServerHostSetting::ServerHostSetting(const std::wstring& host) {
    wchar_t previous[1024] = L"";
    DWORD size = sizeof previous;
    if (RegGetValueW(HKEY_CURRENT_USER, kRecorderKey, L"ServerHost", RRF_RT_REG_SZ, nullptr, previous, &size) ==
        ERROR_SUCCESS)
        m_previousHost = previous;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRecorderKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, L"ServerHost", 0, REG_SZ, reinterpret_cast<const BYTE*>(host.c_str()),
                   static_cast<DWORD>((host.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

ServerHostSetting::~ServerHostSetting() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRecorderKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    // The prefix's own host (a closed loopback port) comes back, so that no later test's
    // start-up query leaves the machine.
    if (m_previousHost.empty()) RegDeleteValueW(key, L"ServerHost");
    else
        RegSetValueExW(key, L"ServerHost", 0, REG_SZ, reinterpret_cast<const BYTE*>(m_previousHost.c_str()),
                       static_cast<DWORD>((m_previousHost.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

std::wstring DistFile(const wchar_t* name) { return e2e::JoinPath(e2e::DistDir(), name); }

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

HWND WaitForDialogTitled(const std::wstring& caption, DWORD timeoutMs, DWORD exceptProcess) {
    TitleSearch search{&caption, exceptProcess, nullptr};
    e2e::WaitFor(
        [&] {
            EnumWindows(&MatchTitle, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    return search.found;
}

e2e::MessageBoxInfo WaitForBoxOf(DWORD processId, HWND except, DWORD timeoutMs) {
    e2e::MessageBoxInfo info;
    e2e::WaitFor(
        [&] {
            for (HWND window : e2e::TopLevelWindowsOf(processId)) {
                if (window != except && IsVisibleDialog(window) && GetDlgItem(window, 0xFFFF) != nullptr) {
                    info.window = window;
                    info.caption = e2e::WindowText(window);
                    info.text = e2e::WindowText(GetDlgItem(window, 0xFFFF));
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return info;
}

bool Answer(const e2e::MessageBoxInfo& box, int buttonId) {
    const HWND button = GetDlgItem(box.window, buttonId);
    if (button == nullptr) return false;
    SendMessageW(button, BM_CLICK, 0, 0);
    return e2e::WaitFor([&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); }, 10000);
}

DWORD WaitForProcessExit(DWORD processId, DWORD timeoutMs) {
    HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr) return 0;  // already gone
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return code;
}

void EndProcess(DWORD processId) {
    if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId)) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}

}  // namespace companions
