#include "crash_test_trigger.h"
#include <stdexcept>
#include "runtime/crash_guard.h"

namespace {

// The pointer itself is volatile, so the compiler cannot see that it is null and drop the
// store; the write then faults for real.
int* volatile g_nowhere = nullptr;

__attribute__((noinline)) void RaiseAccessViolation() {
    *g_nowhere = 0;
}

DWORD CrashingWorker(void*) {
    RaiseAccessViolation();
    return 0;
}

// The guard's frame never sees a C++ exception: only the backstop does.
DWORD ThrowingWorker(void*) {
    throw std::runtime_error("test exception escaping a worker thread");
}

DWORD WINAPI UnguardedCrashingThread(void*) {
    RaiseAccessViolation();
    return 0;
}

void StartThread(LPTHREAD_START_ROUTINE routine) {
    if (HANDLE thread = CreateThread(nullptr, 0, routine, nullptr, 0, nullptr)) CloseHandle(thread);
}

}  // namespace

UINT CrashTestMessage() {
    static const UINT message = RegisterWindowMessageW(kCrashTestMessageName);
    return message;
}

bool CrashTestArmed() {
    static const bool armed = [] {
        wchar_t value[4] = L"";
        return GetEnvironmentVariableW(kCrashTestVariable, value, 4) == 1 && value[0] == L'1';
    }();
    return armed;
}

bool HandleCrashTestRequest(const MSG& msg) {
    if (!CrashTestArmed()) return false;
    if (msg.message != CrashTestMessage() || msg.wParam != kCrashTestMagic) return false;
    switch (msg.lParam) {
    case kCrashOnMainThread:
        RaiseAccessViolation();
        return true;
    case kCrashOnWorkerThread:
        StartThread(GuardedThread<&CrashingWorker>);
        return true;
    case kThrowOnWorkerThread:
        StartThread(GuardedThread<&ThrowingWorker>);
        return true;
    case kCrashOnUnguardedThread:
        StartThread(&UnguardedCrashingThread);
        return true;
    default:
        return false;
    }
}

void HandleCrashTestInWindow(WPARAM wParam, LPARAM lParam) {
    if (!CrashTestArmed()) return;
    if (wParam == kCrashTestMagic && lParam == kCrashInWindowProcedure) RaiseAccessViolation();
}
