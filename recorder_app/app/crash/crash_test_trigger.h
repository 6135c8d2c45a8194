// Lets the test suite raise an access violation on the main thread (in the message loop or
// inside the dialog's message handling), on a worker thread or on a thread without the crash
// guard (as a library's own thread would be), or let a C++ exception escape a worker. It
// takes a message
// registered under a private name with a magic wParam, which nothing a user does can send.
// It answers only when the environment the program was started with holds
// kCrashTestVariable set to "1": otherwise any program on the desktop could crash a user's
// recorder with one message.
#pragma once
#include <windows.h>

// Name of the registered message; wParam kCrashTestMagic, lParam a CrashTestSite.
constexpr wchar_t kCrashTestMessageName[] = L"QuillbankRecorder.RaiseTestCrash";
constexpr WPARAM kCrashTestMagic = 0x51425443;
enum CrashTestSite : LPARAM {
    kCrashOnMainThread = 0,
    kCrashOnWorkerThread = 1,
    kCrashInWindowProcedure = 2,
    kThrowOnWorkerThread = 3,
    kCrashOnUnguardedThread = 4,
};

// Set by the test harness in the environment of the recorder it starts.
constexpr wchar_t kCrashTestVariable[] = L"QB_RECORDER_CRASH_TEST";

UINT CrashTestMessage();
// Whether this process was started with the trigger switched on; read once, at the first call.
bool CrashTestArmed();
// Called by the message loop's filter: true if msg asked for a crash there or on a worker
// (on the main thread it does not return). A crash in the window procedure is left to
// HandleCrashTestInWindow, once the message has been dispatched.
bool HandleCrashTestRequest(const MSG& msg);
void HandleCrashTestInWindow(WPARAM wParam, LPARAM lParam);
