// patcher.exe, started by the recorder from its folder with no arguments once it has unpacked
// an update into "updates" and while it is closing.
#include <windows.h>
#include "runtime/folders.h"
#include "patch_log.h"
#include "patch_run.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    CLogFile log;
    OpenPatcherLog(&log);
    // The folder of this program file, not the current directory: the update goes where the
    // recorder is, whoever started the updater.
    std::wstring folder = ProgramFolder();
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    const PatchOutcome outcome = RunPatcher(folder, &log, kRecorderExitTimeoutMs);
    return outcome == PatchOutcome::Installed ? 0 : 1;
}
