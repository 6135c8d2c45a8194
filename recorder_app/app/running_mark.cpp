#include "running_mark.h"
#include <windows.h>

void MarkProgramRunning() {
    // Never closed: the system takes the mark away with the process. A second instance gets
    // the existing mark, which is just as good.
    CreateMutexW(nullptr, FALSE, kRunningMarkName);
}
