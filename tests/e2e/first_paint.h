// The floor programs that startup_bench times beside the recorder end their start the way the
// recorder does (app/startup_timeline.h): once the first WM_PAINT of their window is handled,
// they set the event that the environment variable QB_STARTUP_TIMELINE names.
#pragma once
#include <windows.h>

inline void SignalFirstPaint() {
    wchar_t name[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"QB_STARTUP_TIMELINE", name, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    if (HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, name)) {
        SetEvent(event);
        CloseHandle(event);
    }
}
