// Stands in for the updater in the update archive: records how it was started (its folder,
// its working folder and its command line) in "patcher-started.txt" beside itself, then ends.
#include <windows.h>
#include <cstdio>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t program[MAX_PATH] = L"", current[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    GetCurrentDirectoryW(MAX_PATH, current);
    wchar_t record[MAX_PATH];
    lstrcpyW(record, program);
    if (wchar_t* slash = wcsrchr(record, L'\\')) lstrcpyW(slash + 1, L"patcher-started.txt");
    FILE* f = _wfopen(record, L"w, ccs=UTF-8");
    if (f == nullptr) return 1;
    fwprintf(f, L"program=%ls\ncurrent=%ls\ncommand=%ls\n", program, current, GetCommandLineW());
    fclose(f);
    return 0;
}
