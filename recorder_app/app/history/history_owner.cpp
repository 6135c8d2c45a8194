#include "app/history/history_owner.h"

#include <cstdint>
#include <cwchar>
#include <cwctype>

namespace {

uint64_t StartTimeOf(HANDLE process) {
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return (static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// Decimal digits, moving `text` past them; false when there are none.
bool ParseNumber(const wchar_t*& text, uint64_t& value) {
    if (!iswdigit(*text)) return false;
    value = 0;
    while (iswdigit(*text)) value = value * 10 + static_cast<uint64_t>(*text++ - L'0');
    return true;
}

// "<pid>" or "<pid>-<start>" after the prefix; `start` is 0 for the first form.
bool ParseOwner(const std::wstring& name, uint64_t& pid, uint64_t& start) {
    const size_t prefix = wcslen(kHistoryFolderPrefix);
    if (name.compare(0, prefix, kHistoryFolderPrefix) != 0) return false;
    const wchar_t* text = name.c_str() + prefix;
    start = 0;
    if (!ParseNumber(text, pid) || pid > MAXDWORD) return false;
    if (*text == L'\0') return true;
    return *text++ == L'-' && ParseNumber(text, start) && *text == L'\0' && start != 0;
}

}  // namespace

std::wstring OwnHistoryFolderName() {
    return kHistoryFolderPrefix + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(StartTimeOf(GetCurrentProcess()));
}

HANDLE LockHistoryFolder(const std::wstring& folder) {
    const std::wstring lock = folder + L"\\" + kHistoryLockName;
    return CreateFileW(lock.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                       FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

bool HistoryOwnerRuns(const std::wstring& folderName) {
    uint64_t pid = 0, start = 0;
    if (!ParseOwner(folderName, pid, start)) return true;
    // This process names its folder with its start time: an old-style name with its id is an
    // earlier program's.
    if (pid == GetCurrentProcessId() && start == 0) return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;  // there, but not ours to ask
    DWORD exitCode = 0;
    const bool runs = GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE &&
                      (start == 0 || StartTimeOf(process) == start);
    CloseHandle(process);
    return runs;
}
