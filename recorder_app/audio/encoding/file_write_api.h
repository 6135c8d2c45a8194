// The file write a recording makes, in a table so that tests can script the failures a real
// disk gives (full, removed) without filling one.
#pragma once
#include <windows.h>

struct FileWriteApi {
    BOOL(WINAPI* write)(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED overlapped);
};

// The system's WriteFile.
const FileWriteApi& SystemFileWrite();
