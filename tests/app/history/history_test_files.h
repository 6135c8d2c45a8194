// A recordings folder of the test's own, and a file table whose moves can be made to fail from
// the nth on and whose Recycle Bin is scripted, for the history's tests.
#pragma once
#include <windows.h>
#include <fstream>
#include <string>
#include <vector>
#include "app/history/history_file_api.h"

namespace history_test {

struct Script {
    int movesLeft = 1000;  // moves that succeed before `failures` fail
    int failures = 1000;
    std::vector<std::pair<std::wstring, std::wstring>> moves;
    RecycleBinSettings bin;
    bool hasBin = false;
    RecycleReport report = RecycleReport::kInBin;
    std::vector<std::wstring> recycled;
};
inline Script g_script;

inline BOOL WINAPI ScriptedMove(LPCWSTR from, LPCWSTR to, DWORD flags) {
    if (g_script.movesLeft <= 0 && g_script.failures > 0) {
        --g_script.failures;
        SetLastError(ERROR_WRITE_FAULT);
        return FALSE;
    }
    --g_script.movesLeft;
    g_script.moves.emplace_back(from, to);
    return MoveFileExW(from, to, flags);
}
inline UINT WINAPI FixedDrive(LPCWSTR) { return DRIVE_FIXED; }
inline HRESULT WINAPI BinThere(LPCWSTR, SHQUERYRBINFO*) { return S_OK; }
inline bool WINAPI ScriptedBin(LPCWSTR, RecycleBinSettings* settings) {
    *settings = g_script.bin;
    return g_script.hasBin;
}
// The file goes, and the shell says what the script says.
inline RecycleReport WINAPI ScriptedRecycle(LPCWSTR path) {
    g_script.recycled.push_back(path);
    DeleteFileW(path);
    return g_script.report;
}
inline const HistoryFileApi kScriptedApi{ScriptedMove, DeleteFileW, FixedDrive, BinThere, ScriptedBin, ScriptedRecycle};

inline bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
inline void Touch(const std::wstring& path, size_t bytes = 100) {
    std::ofstream(path.c_str(), std::ios::binary) << std::string(bytes, 'x');
}
// Empties and removes a folder and the folders in it.
inline void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(folder + L"\\" + name);
            else DeleteFileW((folder + L"\\" + name).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(folder.c_str());
}
inline std::wstring FreshFolder(const wchar_t* name) {
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + name + L"-" + std::to_wstring(GetCurrentProcessId());
    RemoveTree(folder);
    CreateDirectoryW(folder.c_str(), nullptr);
    g_script = Script{};
    return folder;
}

}  // namespace history_test
