// Start-up time: from process creation to the end of the main window's first WM_PAINT, median
// of eleven starts (on a machine that shares its cores, one slow start in five moved the
// median), beside two floors started the same way in turn with the recorder and timed to the
// end of their own first paint: a minimal window program built with the same toolchain (the
// floor Wine itself sets), and a minimal dialog with the recorder's manifest that loads the
// system libraries the recorder's import table names (the floor those libraries set).
// Each program sets the event named by QB_STARTUP_TIMELINE at that paint.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>
#include "app_harness.h"

using namespace e2e;

namespace {

constexpr DWORD kPaintTimeoutMs = 30000;

double Milliseconds(const LARGE_INTEGER& before, const LARGE_INTEGER& after) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * (after.QuadPart - before.QuadPart) / frequency.QuadPart;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The event a started program sets at its first paint, and the variable that names it (the
// child inherits the environment).
class FirstPaint {
public:
    FirstPaint() {
        static int count = 0;
        const std::wstring name = L"QuillbankStartupBench-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(++count);
        m_event = CreateEventW(nullptr, TRUE, FALSE, name.c_str());
        SetEnvironmentVariableW(L"QB_STARTUP_TIMELINE", name.c_str());
    }
    ~FirstPaint() {
        SetEnvironmentVariableW(L"QB_STARTUP_TIMELINE", nullptr);
        if (m_event != nullptr) CloseHandle(m_event);
    }
    FirstPaint(const FirstPaint&) = delete;
    FirstPaint& operator=(const FirstPaint&) = delete;

    // Waits on its own thread, so that the time is taken when the event is set and not when
    // the caller comes to look.
    void StartWaiting() {
        m_waiter = CreateThread(nullptr, 0, &FirstPaint::Wait, this, 0, nullptr);
    }
    // Milliseconds from `before` to the paint, or -1.
    double Since(const LARGE_INTEGER& before) {
        if (m_waiter == nullptr) return -1;
        WaitForSingleObject(m_waiter, INFINITE);
        CloseHandle(m_waiter);
        return m_painted ? Milliseconds(before, m_at) : -1;
    }

private:
    static DWORD WINAPI Wait(void* self) {
        auto* paint = static_cast<FirstPaint*>(self);
        paint->m_painted = WaitForSingleObject(paint->m_event, kPaintTimeoutMs) == WAIT_OBJECT_0;
        QueryPerformanceCounter(&paint->m_at);
        return 0;
    }

    HANDLE m_event = nullptr;
    HANDLE m_waiter = nullptr;
    bool m_painted = false;
    LARGE_INTEGER m_at{};
};

// Milliseconds from process creation to the end of the recorder's first paint, or -1.
double StartRecorder() {
    RecorderApp app;
    FirstPaint paint;
    paint.StartWaiting();
    LARGE_INTEGER before;
    QueryPerformanceCounter(&before);
    // Not polled for its window while it starts, as the floors are not: the polling would
    // share the Wine server with it.
    if (!app.Launch()) {
        paint.Since(before);
        return -1;
    }
    const double ms = paint.Since(before);
    const bool shown = app.WaitForMainWindow();
    if (shown) PostMessageW(app.MainWindow(), WM_SYSCOMMAND, SC_CLOSE, 0);
    app.WaitForExit();
    return shown ? ms : -1;
}

// The same for a floor program.
double StartFloor(const wchar_t* unixPath) {
    std::wstring program = WindowsPath(unixPath);
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    FirstPaint paint;
    paint.StartWaiting();
    LARGE_INTEGER before;
    QueryPerformanceCounter(&before);
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        paint.Since(before);
        return -1;
    }
    const double ms = paint.Since(before);
    for (HWND window : TopLevelWindowsOf(process.dwProcessId))
        if (IsWindowVisible(window)) PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ms;
}

}  // namespace

int main() {
    constexpr int kRuns = 11;
    std::vector<double> ours, window, dialog;
    for (int i = 0; i < kRuns; ++i) {
        // The three take turns at going first, so that what one start leaves behind (pages
        // to write, a server still tidying up) is not always paid by the same program.
        double recorder = 0, bare = 0, imports = 0;
        for (int turn = 0; turn < 3; ++turn) {
            switch ((i + turn) % 3) {
            case 0: recorder = StartRecorder(); break;
            case 1: bare = StartFloor(L"" QB_MINIMAL_WINDOW_PATH); break;
            default: imports = StartFloor(L"" QB_MINIMAL_DIALOG_PATH); break;
            }
        }
        if (recorder < 0) {
            fprintf(stderr, "the main window was not painted\n");
            return 1;
        }
        if (bare < 0 || imports < 0) {
            fprintf(stderr, "a floor program was not painted\n");
            return 1;
        }
        ours.push_back(recorder);
        window.push_back(bare);
        dialog.push_back(imports);
    }
    printf("startup.ms: %.0f ms\n", Median(ours));
    printf("startup.minimal_ms: %.0f ms\n", Median(window));
    printf("startup.same_imports_ms: %.0f ms\n", Median(dialog));
    printf("startup.vs_minimal: %.2f ratio\n", Median(ours) / Median(window));
    printf("startup.vs_same_imports: %.2f ratio\n", Median(ours) / Median(dialog));
    // What the libraries the recorder links cost on their own: the least vs_minimal could be.
    printf("startup.same_imports_vs_minimal: %.2f ratio\n", Median(dialog) / Median(window));
    return 0;
}
