#include "patch_log.h"
#include <windows.h>
#include <ctime>
#include "runtime/version.h"

void OpenPatcherLog(CLogFile* log) {
    const std::wstring path = LogPath(kPatcherLogName);
    if (path.empty() || !log->Open(path)) return;
    wchar_t now[128] = L"";
    const time_t seconds = time(nullptr);
    if (const tm* local = localtime(&seconds)) wcsftime(now, 128, L"%Y-%m-%d %H-%M-%S", local);
    log->Print(L"Quillbank recorder updater v. %d.%02d, %s", kVersionMajor, kVersionMinor, now);
}
