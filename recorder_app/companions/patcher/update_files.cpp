#include "update_files.h"
#include <windows.h>
#include <algorithm>

bool IsContainedRelativePath(const std::wstring& relative) {
    if (relative.empty() || relative.find_first_of(L":/") != std::wstring::npos) return false;
    size_t start = 0;
    for (;;) {
        const size_t end = relative.find(L'\\', start);
        const std::wstring part = relative.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        if (part.empty() || part == L"." || part == L"..") return false;
        if (end == std::wstring::npos) return true;
        start = end + 1;
    }
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& relative) {
    if (!folder.empty() && folder.back() == L'\\') return folder + relative;
    return folder + L"\\" + relative;
}

namespace {

template <class Visit>
void ForEachEntry(const std::wstring& folder, Visit visit) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(JoinPath(folder, L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") visit(name, found.dwFileAttributes);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

void CollectFiles(const std::wstring& root, const std::wstring& relative, std::vector<std::wstring>* files) {
    const std::wstring folder = relative.empty() ? root : JoinPath(root, relative);
    ForEachEntry(folder, [&](const std::wstring& name, DWORD attributes) {
        const std::wstring path = relative.empty() ? name : relative + L"\\" + name;
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
            files->push_back(path);
        else if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            CollectFiles(root, path, files);
    });
}

}  // namespace

std::vector<std::wstring> ListFilesUnder(const std::wstring& folder) {
    std::vector<std::wstring> files;
    CollectFiles(folder, L"", &files);
    std::sort(files.begin(), files.end());
    return files;
}

void RemoveEmptyFoldersUnder(const std::wstring& folder) {
    ForEachEntry(folder, [&](const std::wstring& name, DWORD attributes) {
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return;
        const std::wstring child = JoinPath(folder, name);
        RemoveEmptyFoldersUnder(child);
        RemoveDirectoryW(child.c_str());  // fails, as it should, while anything is left in it
    });
}
