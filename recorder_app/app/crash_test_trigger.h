// Lets the test suite raise an access violation on the main thread or on a worker thread.
// It takes a message registered under a private name with a magic wParam, which nothing a
// user does can send.
#pragma once
#include <windows.h>

// Name of the registered message; wParam kCrashTestMagic, lParam a CrashTestSite.
constexpr wchar_t kCrashTestMessageName[] = L"QuillbankRecorder.RaiseTestCrash";
constexpr WPARAM kCrashTestMagic = 0x51425443;
enum CrashTestSite : LPARAM { kCrashOnMainThread = 0, kCrashOnWorkerThread = 1 };

// True if msg asked for a test crash; the crash then happens (on the main thread it does
// not return).
bool HandleCrashTestRequest(const MSG& msg);
