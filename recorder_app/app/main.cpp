// Entry point: the whole program runs inside the crash guard.
#include <windows.h>
#include "application.h"
#include "runtime/crash_guard.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
    RunInCrashGuard([instance, showCommand]() -> DWORD { return RunApplication(instance, showCommand); });
    return 0;
}
