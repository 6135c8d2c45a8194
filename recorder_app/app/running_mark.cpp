#include "running_mark.h"
#include <windows.h>

namespace {
bool g_onlyInstance = false;
}

void MarkProgramRunning() {
    // Never closed: the system takes the mark away with the process. A second instance gets
    // the existing mark, which is just as good for the installer.
    HANDLE mark = CreateMutexW(nullptr, FALSE, kRunningMarkName);
    g_onlyInstance = mark != nullptr && GetLastError() != ERROR_ALREADY_EXISTS;
}

bool IsOnlyRunningInstance() {
    return g_onlyInstance;
}
