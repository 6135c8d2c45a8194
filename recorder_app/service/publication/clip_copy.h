// The local copy of a clip that is about to be published: all of it or nothing.
#pragma once
#include <windows.h>
#include <string>

// The calls with which the copy writes its target and hands it to the disk, in a table so
// that tests can make a disk fill up part-way or refuse the final write-back.
struct CopyWriteApi {
    BOOL(WINAPI* write)(HANDLE file, LPCVOID data, DWORD bytes, LPDWORD written, LPOVERLAPPED overlapped);
    BOOL(WINAPI* flush)(HANDLE file);
};

// WriteFile and FlushFileBuffers.
const CopyWriteApi& SystemCopyWrite();

// Copies source to target, replacing target, in 1 MB blocks (as fast as the system's copy
// under Wine and beside cp; larger blocks were slower), and flushes it to the disk. When
// target is the source itself under any name (a hard link, another spelling of its path),
// nothing is written and the result is true. On failure, a full disk among them, no partial
// target is left, the system's error code is kept for GetLastError and the result is false.
bool CopyWholeFile(const std::wstring& source, const std::wstring& target,
                   const CopyWriteApi& api = SystemCopyWrite());
