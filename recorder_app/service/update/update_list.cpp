#include "update_list.h"
#include <windows.h>
#include "service/request/text_encoding.h"

namespace {

// Where the list is written before it is renamed into place.
constexpr wchar_t kTemporaryName[] = L"update.lst.new";

std::wstring ListPath(const std::wstring& folder, const wchar_t* name) {
    if (!folder.empty() && folder.back() == L'\\') return folder + name;
    return folder + L"\\" + name;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    DWORD written = 0;
    return bytes.size() <= MAXDWORD &&
           WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

}  // namespace

bool WriteUpdateList(const std::wstring& updatesFolder, const std::vector<std::wstring>& files) {
    DiscardUpdateList(updatesFolder);
    std::string text;
    for (const std::wstring& file : files) {
        const std::string line = ToUtf8(file);
        if (line.empty() || SameName(file, kUpdateListName) || SameName(file, kTemporaryName)) return false;
        text += line + "\r\n";
    }
    const std::wstring temporary = ListPath(updatesFolder, kTemporaryName);
    const std::wstring list = ListPath(updatesFolder, kUpdateListName);
    HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool written = WriteAll(file, text) && FlushFileBuffers(file);
    CloseHandle(file);
    if (written && MoveFileExW(temporary.c_str(), list.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(temporary.c_str());
    return false;
}

void DiscardUpdateList(const std::wstring& updatesFolder) {
    const std::wstring list = ListPath(updatesFolder, kUpdateListName);
    SetFileAttributesW(list.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(list.c_str());
}

bool ReadUpdateList(const std::wstring& updatesFolder, std::vector<std::wstring>* files) {
    files->clear();
    HANDLE file = CreateFileW(ListPath(updatesFolder, kUpdateListName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string text;
    char chunk[4096];
    DWORD read = 0;
    bool ok = true;
    while ((ok = ReadFile(file, chunk, sizeof chunk, &read, nullptr) != FALSE) && read > 0) text.append(chunk, read);
    CloseHandle(file);
    if (!ok) return false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        if (end > start) files->push_back(FromUtf8(text.substr(start, end - start)));
        start = end + 1;
    }
    return true;
}

std::vector<std::wstring> WithoutFile(const std::vector<std::wstring>& files, const std::wstring& name) {
    std::vector<std::wstring> kept;
    for (const std::wstring& file : files)
        if (!SameName(file, name)) kept.push_back(file);
    return kept;
}
