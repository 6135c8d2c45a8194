// How many threads a process has, for the tests of any folder that check that workers end.
#pragma once
#include <windows.h>
#include <tlhelp32.h>

// -1 when the system gives no snapshot.
inline int ThreadCount(DWORD processId = GetCurrentProcessId()) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    int count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == processId) ++count;
    CloseHandle(snapshot);
    return count;
}
