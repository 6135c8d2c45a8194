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

bool HandleCrashTestRequest(const MSG& msg) {
    static const UINT message = RegisterWindowMessageW(kCrashTestMessageName);
    if (msg.message != message || msg.wParam != kCrashTestMagic) return false;
    if (msg.lParam == kCrashOnWorkerThread) {
        HANDLE thread = CreateThread(nullptr, 0, GuardedThread<&CrashingWorker>, nullptr, 0, nullptr);
        if (thread != nullptr) CloseHandle(thread);
    } else {
        RaiseAccessViolation();
    }
    return true;
}
