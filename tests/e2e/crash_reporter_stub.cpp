// Stands in for crash_reporter.exe: writes how it was started (command line, then current
// directory, UTF-16LE, one per line) to reporter_invocation.txt beside itself.
#include <windows.h>
#include <cstdio>
#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    wchar_t self[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    path = path.substr(0, path.rfind(L'\\') + 1) + L"reporter_invocation.txt";
    wchar_t current[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, current);
    const std::wstring text = std::wstring(GetCommandLineW()) + L"\n" + current + L"\n";
    // Written under another name and renamed, so that a reader never sees half of it.
    const std::wstring partial = path + L".part";
    if (FILE* f = _wfopen(partial.c_str(), L"wb")) {
        fwrite(text.data(), sizeof(wchar_t), text.size(), f);
        fclose(f);
        MoveFileExW(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    return 0;
}
