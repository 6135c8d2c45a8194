// On 32-bit Windows a structured-exception frame is a record linked from fs:[0]; GCC has
// no __try, so the frame is pushed and popped here by hand. The backstop below catches, for
// the whole process, what never passes such a frame.
#include "crash_guard.h"
#include <exception>

namespace {

// The code of the record made for a C++ exception that nothing caught: an application code
// (customer bit set), so that a dump reader does not take it for a hardware fault.
constexpr DWORD kUncaughtCppException = 0xE0474343;
// Policy flag of 64-bit Windows: while set, an exception that leaves a window procedure
// entered from a kernel callback is swallowed and the program runs on in an unknown state.
constexpr DWORD kProcessCallbackFilterEnabled = 0x1;

CrashHandler g_crashHandler = nullptr;

[[noreturn]] void Crash(EXCEPTION_POINTERS* pointers) {
    if (g_crashHandler != nullptr) g_crashHandler(pointers);
    TerminateProcess(GetCurrentProcess(), pointers->ExceptionRecord->ExceptionCode);
    ExitProcess(pointers->ExceptionRecord->ExceptionCode);
}

struct ExceptionFrame {
    ExceptionFrame* next;
    void* handler;
};

EXCEPTION_DISPOSITION __cdecl CrashGuardHandler(EXCEPTION_RECORD* record, void* /*frame*/,
                                                CONTEXT* context, void* /*dispatcher*/) {
    // Unwinding passes through here after another frame took the exception: let it pass.
    if (record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND))
        return ExceptionContinueSearch;
    EXCEPTION_POINTERS pointers{record, context};
    Crash(&pointers);
    return ExceptionContinueSearch;
}

LONG WINAPI CrashBackstopFilter(EXCEPTION_POINTERS* pointers) {
    Crash(pointers);
}

// Runs where the exception was thrown: the unwinder found no handler and has not unwound, so
// the context taken here still shows the stack that threw.
[[noreturn]] void CrashOnTerminate() {
    CONTEXT context{};
    RtlCaptureContext(&context);
    EXCEPTION_RECORD record{};
    record.ExceptionCode = kUncaughtCppException;
    record.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
    record.ExceptionAddress = reinterpret_cast<void*>(context.Eip);
    EXCEPTION_POINTERS pointers{&record, &context};
    Crash(&pointers);
}

// Lets such an exception go on to the unhandled-exception filter instead. Only some
// versions of Windows have the two calls; elsewhere nothing swallows the exception.
void StopSwallowingCallbackExceptions() {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    using GetPolicy = BOOL(WINAPI*)(DWORD*);
    using SetPolicy = BOOL(WINAPI*)(DWORD);
    auto get = reinterpret_cast<GetPolicy>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "GetProcessUserModeExceptionPolicy")));
    auto set = reinterpret_cast<SetPolicy>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetProcessUserModeExceptionPolicy")));
    DWORD flags = 0;
    if (get != nullptr && set != nullptr && get(&flags)) set(flags & ~kProcessCallbackFilterEnabled);
}

}  // namespace

void InstallCrashBackstop(CrashHandler handler) {
    g_crashHandler = handler;
    SetUnhandledExceptionFilter(&CrashBackstopFilter);
    std::set_terminate(&CrashOnTerminate);
    StopSwallowingCallbackExceptions();
}

__attribute__((noinline)) DWORD RunInCrashGuard(GuardedWork work, void* context) {
    volatile ExceptionFrame frame;
    ExceptionFrame* previous;
    asm volatile("movl %%fs:0, %0" : "=r"(previous));
    frame.next = previous;
    frame.handler = reinterpret_cast<void*>(&CrashGuardHandler);
    asm volatile("movl %0, %%fs:0" : : "r"(&frame) : "memory");
    const DWORD result = work(context);
    asm volatile("movl %0, %%fs:0" : : "r"(previous) : "memory");
    return result;
}
