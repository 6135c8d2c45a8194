#include "folders.h"
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

namespace {

std::wstring KnownFolder(int csidl) {
    wchar_t path[MAX_PATH] = L"";
    if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return L"";
    return path;
}

}  // namespace

std::wstring DocumentsFolder() {
    return KnownFolder(CSIDL_PERSONAL);
}

std::wstring PodcastsFolder() {
    std::wstring documents = DocumentsFolder();
    if (documents.empty()) return L"";
    wchar_t path[MAX_PATH];
    lstrcpynW(path, documents.c_str(), MAX_PATH);
    PathAppendW(path, L"My Podcasts");
    return path;
}

std::wstring RecordingsFolder() {
    const std::wstring podcasts = PodcastsFolder();
    return podcasts.empty() ? podcasts : podcasts + L"\\Unpublished";
}

std::wstring LocalAppDataFolder() {
    return KnownFolder(CSIDL_LOCAL_APPDATA);
}

std::wstring ProgramFolder() {
    constexpr DWORD kPathChars = 1024;
    wchar_t module[kPathChars] = L"";
    wchar_t full[kPathChars] = L"";
    wchar_t* fileName = nullptr;
    GetModuleFileNameW(nullptr, module, kPathChars);
    if (GetFullPathNameW(module, kPathChars, full, &fileName) == 0 || fileName == nullptr) return L"";
    *fileName = L'\0';  // cut before the file name, keeping the backslash
    return full;
}

std::wstring FileNameOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}
