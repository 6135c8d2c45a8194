#include "crash_test_trigger.h"
#include "crash_guard.h"

namespace {

__attribute__((noinline)) void RaiseAccessViolation() {
    volatile int* nowhere = nullptr;
    *nowhere = 0;
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
