// The file calls a recording makes, in a table so that tests can script the failures a real
// disk gives (full, removed) without filling one.
#pragma once
#include <windows.h>

struct FileWriteApi {
    BOOL(WINAPI* write)(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped);
    // Makes what was written so far durable, from the recording's flush thread.
    BOOL(WINAPI* flush)(HANDLE file);
};

// The system's WriteFile and FlushFileBuffers.
const FileWriteApi& SystemFileWrite();
