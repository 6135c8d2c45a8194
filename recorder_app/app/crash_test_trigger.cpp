#include "crash_test_trigger.h"
#include "crash_guard.h"

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

}  // namespace

UINT CrashTestMessage() {
    static const UINT message = RegisterWindowMessageW(kCrashTestMessageName);
    return message;
}

bool HandleCrashTestRequest(const MSG& msg) {
    if (msg.message != CrashTestMessage() || msg.wParam != kCrashTestMagic) return false;
    switch (msg.lParam) {
    case kCrashOnMainThread:
        RaiseAccessViolation();
        return true;
    case kCrashOnWorkerThread:
        if (HANDLE thread = CreateThread(nullptr, 0, GuardedThread<&CrashingWorker>, nullptr, 0, nullptr))
            CloseHandle(thread);
        return true;
    default:
        return false;
    }
}

void HandleCrashTestInWindow(WPARAM wParam, LPARAM lParam) {
    if (wParam == kCrashTestMagic && lParam == kCrashInWindowProcedure) RaiseAccessViolation();
}
