// Start-up time: from process creation to the main window shown, median of five starts,
// beside the same for a minimal window program built with the same toolchain (the floor
// that Wine itself sets), started the same way in turn with the recorder.
#include <algorithm>
#include <cstdio>
#include <vector>
#include "app_harness.h"

using namespace e2e;

namespace {

double Milliseconds(const LARGE_INTEGER& before, const LARGE_INTEGER& after) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * (after.QuadPart - before.QuadPart) / frequency.QuadPart;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Milliseconds from process creation to the recorder's main window shown, or -1.
double StartRecorder() {
    RecorderApp app;
    LARGE_INTEGER before, after;
    QueryPerformanceCounter(&before);
    if (!app.Start()) return -1;
    QueryPerformanceCounter(&after);
    PostMessageW(app.MainWindow(), WM_SYSCOMMAND, SC_CLOSE, 0);
    app.WaitForExit();
    return Milliseconds(before, after);
}

// The same for the minimal window program: to its first visible top-level window.
double StartMinimal() {
    std::wstring program = WindowsPath(L"" QB_MINIMAL_WINDOW_PATH);
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    LARGE_INTEGER before, after;
    QueryPerformanceCounter(&before);
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process))
        return -1;
    HWND shown = nullptr;
    const bool appeared = WaitFor(
        [&] {
            for (HWND window : TopLevelWindowsOf(process.dwProcessId))
                if (IsWindowVisible(window)) shown = window;
            return shown != nullptr;
        },
        30000);
    QueryPerformanceCounter(&after);
    if (appeared) PostMessageW(shown, WM_SYSCOMMAND, SC_CLOSE, 0);
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return appeared ? Milliseconds(before, after) : -1;
}

}  // namespace

int main() {
    constexpr int kRuns = 5;
    std::vector<double> ours, minimal;
    for (int i = 0; i < kRuns; ++i) {
        const double recorder = StartRecorder();
        if (recorder < 0) {
            fprintf(stderr, "the main window did not appear\n");
            return 1;
        }
        const double floor = StartMinimal();
        if (floor < 0) {
            fprintf(stderr, "the minimal window did not appear\n");
            return 1;
        }
        ours.push_back(recorder);
        minimal.push_back(floor);
    }
    printf("startup.ms: %.0f ms\n", Median(ours));
    printf("startup.minimal_ms: %.0f ms\n", Median(minimal));
    printf("startup.vs_minimal: %.2f ratio\n", Median(ours) / Median(minimal));
    return 0;
}
