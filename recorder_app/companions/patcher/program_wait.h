// Waiting until a program file has no running process, so that its files can be replaced.
#pragma once
#include <windows.h>
#include <string>

// Waits until no process runs the program file at programPath (compared as full long paths,
// ignoring case, so that a recorder in another folder does not count). True once none runs;
// false if one still runs after timeoutMs.
bool WaitUntilProgramEnds(const std::wstring& programPath, DWORD timeoutMs);
