#include "startup_timeline.h"
#include <windows.h>
#include "runtime/log_file.h"

namespace {

constexpr wchar_t kVariable[] = L"QB_STARTUP_TIMELINE";
constexpr int kMaxEarlySteps = 32;

struct Step {
    const wchar_t* name;
    double ms;
};

// Read once, on the main thread, before any other thread starts.
bool g_read = false;
bool g_on = false;
wchar_t g_eventName[MAX_PATH] = L"";
bool g_painted = false;
Step g_early[kMaxEarlySteps];
int g_earlyCount = 0;

bool TimelineOn() {
    if (!g_read) {
        g_read = true;
        const DWORD length = GetEnvironmentVariableW(kVariable, g_eventName, MAX_PATH);
        g_on = length > 0 && length < MAX_PATH;
    }
    return g_on;
}

uint64_t Ticks(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Milliseconds since the process was created, in the system clock both times come from.
double SinceProcessStart() {
    FILETIME created, exited, kernel, user, now;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return -1;
    GetSystemTimeAsFileTime(&now);
    return static_cast<double>(Ticks(now) - Ticks(created)) / 10000.0;
}

void Print(const wchar_t* name, double ms) { g_log.Print(L"Start-up timeline: %s at %.1f ms", name, ms); }

}  // namespace

void MarkStartupStep(const wchar_t* step) {
    if (!TimelineOn()) return;
    const double ms = SinceProcessStart();
    if (g_painted) Print(step, ms);
    else if (g_earlyCount < kMaxEarlySteps) g_early[g_earlyCount++] = Step{step, ms};
}

void MarkFirstPaint() {
    if (!TimelineOn() || g_painted) return;
    MarkStartupStep(L"first paint of the main window");
    g_painted = true;
    // Before the log is written: that is the timeline's own cost, not the start's.
    if (HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, g_eventName)) {
        SetEvent(event);
        CloseHandle(event);
    }
    for (int i = 0; i < g_earlyCount; ++i) Print(g_early[i].name, g_early[i].ms);
}
