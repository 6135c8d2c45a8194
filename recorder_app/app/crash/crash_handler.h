// After a crash: asks whether to send a report, writes a minidump, starts the crash
// reporter and ends the process with exit code 0.
#pragma once
#include <windows.h>
#include <dbghelp.h>
#include <string>

// Never returns. pointers may be null.
[[noreturn]] void HandleCrash(EXCEPTION_POINTERS* pointers);

// "%s\Quillbank_recorder_%d_%d.dmp" in the local application-data folder.
std::wstring CrashDumpPath();
// The reporter's command line for a given dump.
std::wstring CrashReporterCommandLine(const std::wstring& dumpPath);
// Keeps only the modules that the dumped memory refers to.
BOOL CALLBACK CrashDumpCallback(void* param, const PMINIDUMP_CALLBACK_INPUT input,
                                PMINIDUMP_CALLBACK_OUTPUT output);
