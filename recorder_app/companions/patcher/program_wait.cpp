#include "program_wait.h"
#include "runtime/folders.h"
#include <tlhelp32.h>
#include <vector>

namespace {

std::wstring Normalised(const std::wstring& path) {
    wchar_t full[MAX_PATH * 2] = L"";
    std::wstring result = path;
    if (GetLongPathNameW(path.c_str(), full, MAX_PATH * 2) > 0 ||
        GetFullPathNameW(path.c_str(), MAX_PATH * 2, full, nullptr) > 0)
        result = full;
    CharUpperBuffW(&result[0], static_cast<DWORD>(result.size()));
    return result;
}

// A process running programPath, opened for waiting; null if there is none.
HANDLE OpenRunningInstance(const std::wstring& programPath) {
    const std::wstring wanted = Normalised(programPath);
    const std::wstring wantedName = FileNameOf(programPath);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return nullptr;
    HANDLE found = nullptr;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && found == nullptr; more = Process32NextW(snapshot, &entry)) {
        if (lstrcmpiW(entry.szExeFile, wantedName.c_str()) != 0 || entry.th32ProcessID == GetCurrentProcessId())
            continue;
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, entry.th32ProcessID);
        if (process == nullptr) continue;
        wchar_t image[MAX_PATH * 2] = L"";
        DWORD length = MAX_PATH * 2;
        if (QueryFullProcessImageNameW(process, 0, image, &length) && Normalised(image) == wanted &&
            WaitForSingleObject(process, 0) == WAIT_TIMEOUT)
            found = process;
        else
            CloseHandle(process);
    }
    CloseHandle(snapshot);
    return found;
}

}  // namespace

bool WaitUntilProgramEnds(const std::wstring& programPath, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        HANDLE process = OpenRunningInstance(programPath);
        if (process == nullptr) return true;
        const DWORD elapsed = GetTickCount() - start;
        const DWORD left = elapsed < timeoutMs ? timeoutMs - elapsed : 0;
        // Once this one has ended the list is read again: the recorder may have run twice.
        const DWORD waited = WaitForSingleObject(process, left);
        CloseHandle(process);
        if (waited != WAIT_OBJECT_0) return false;
    }
}
