// Entry point: the whole program runs inside the crash guard.
#include <windows.h>
#include "application.h"
#include "runtime/crash_guard.h"
#include "running_mark.h"
#include "startup_timeline.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
    MarkStartupStep(L"entry point");  // the system libraries are loaded, the settings read
    MarkProgramRunning();
    RunInCrashGuard([instance, showCommand]() -> DWORD { return RunApplication(instance, showCommand); });
    return 0;
}
