#include "crash_handler.h"
#include <atomic>
#include "runtime/app_globals.h"
#include "runtime/folders.h"
#include "runtime/text_format.h"
#include "runtime/version.h"

namespace {

constexpr size_t kPathChars = 1024;
constexpr MINIDUMP_TYPE kDumpType =
    static_cast<MINIDUMP_TYPE>(MiniDumpScanMemory | MiniDumpWithIndirectlyReferencedMemory);

void ShowLastError(const wchar_t* format) {
    wchar_t text[256];
    FormatTruncated(text, 256, format, GetLastError());
    MessageBoxW(nullptr, text, L"Error", MB_ICONERROR);
}

bool WriteDump(HANDLE file, EXCEPTION_POINTERS* pointers) {
    MINIDUMP_EXCEPTION_INFORMATION exception{};
    exception.ThreadId = GetCurrentThreadId();
    exception.ExceptionPointers = pointers;
    exception.ClientPointers = FALSE;
    MINIDUMP_CALLBACK_INFORMATION callback{};
    callback.CallbackRoutine = &CrashDumpCallback;
    callback.CallbackParam = nullptr;
    return MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file, kDumpType,
                             pointers != nullptr ? &exception : nullptr, nullptr, &callback) != FALSE;
}

void StartReporter(const std::wstring& dumpPath) {
    const std::wstring program = g_appDir + L"\\crash_reporter.exe";
    std::wstring commandLine = CrashReporterCommandLine(dumpPath);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                       g_appDir.c_str(), &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

void ReportCrash(EXCEPTION_POINTERS* pointers) {
    const int answer = MessageBoxW(
        g_mainWnd,
        L"Sorry, fatal error encountered.\nWould you send the crash report to Quillbank website?\n"
        L"This will help us improve the sofware.",
        L"Application crashed", MB_ICONERROR | MB_YESNO);
    if (answer != IDYES) return;

    const std::wstring dumpPath = CrashDumpPath();
    DeleteFileW(dumpPath.c_str());
    HANDLE file = CreateFileW(dumpPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ShowLastError(L"CreateFile failed. Error: %u \n");
        return;
    }
    if (!WriteDump(file, pointers)) {
        ShowLastError(L"MiniDumpWriteDump failed. Error: %u \n");
        CloseHandle(file);
        return;
    }
    StartReporter(dumpPath);
    CloseHandle(file);
}

}  // namespace

std::wstring CrashDumpPath() {
    wchar_t path[kPathChars];
    FormatTruncated(path, kPathChars, L"%s\\Quillbank_recorder_%d_%d.dmp",
                    LocalAppDataFolder().c_str(), kVersionMajor, kVersionMinor);
    return path;
}

std::wstring CrashReporterCommandLine(const std::wstring& dumpPath) {
    wchar_t commandLine[kPathChars];
    FormatTruncated(commandLine, kPathChars, L"%s \"Quillbank recorder\" %d.%d \"%s\"",
                    L"crash_reporter.exe", kVersionMajor, kVersionMinor, dumpPath.c_str());
    return commandLine;
}

BOOL CALLBACK CrashDumpCallback(void*, const PMINIDUMP_CALLBACK_INPUT input,
                                PMINIDUMP_CALLBACK_OUTPUT output) {
    if (input == nullptr || output == nullptr) return FALSE;
    switch (input->CallbackType) {
    case ModuleCallback:
        if (!(output->ModuleWriteFlags & ModuleReferencedByMemory))
            output->ModuleWriteFlags &= ~ModuleWriteModule;
        return TRUE;
    case ThreadCallback:
    case ThreadExCallback:
    case IncludeThreadCallback:
    case IncludeModuleCallback:
        return TRUE;
    default:
        return FALSE;
    }
}

void HandleCrash(EXCEPTION_POINTERS* pointers) {
    // The question's box dispatches the thread's window messages; a crash in one of them
    // would ask again inside the first question, box within box. The process ends at once
    // instead. A crash on another thread meanwhile asks its own question.
    static std::atomic<DWORD> handlingThread{0};
    if (handlingThread.load() == GetCurrentThreadId()) TerminateProcess(GetCurrentProcess(), 0);
    DWORD none = 0;
    handlingThread.compare_exchange_strong(none, GetCurrentThreadId());
    ReportCrash(pointers);
    TerminateProcess(GetCurrentProcess(), 0);
    for (;;) ExitProcess(0);
}
