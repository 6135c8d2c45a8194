#include "install_record.h"
#include <windows.h>
#include <set>
#include "update_files.h"
#include "update_install.h"

namespace {

constexpr wchar_t kByteOrderMark = 0xFEFF;

std::wstring Folded(const std::wstring& text) {
    std::wstring folded = text;
    if (!folded.empty()) CharUpperBuffW(&folded[0], static_cast<DWORD>(folded.size()));
    return folded;
}

std::wstring ReadAll(HANDLE file) {
    std::string bytes;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    if (!text.empty()) memcpy(&text[0], bytes.data(), text.size() * sizeof(wchar_t));
    return text;
}

std::vector<std::wstring> Lines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    size_t start = !text.empty() && text[0] == kByteOrderMark ? 1 : 0;
    while (start < text.size()) {
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) end = text.size();
        if (end > start) lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace

bool AppendToInstallRecord(const std::wstring& programFolder, const std::vector<std::wstring>& files,
                           const std::vector<std::wstring>& folders) {
    HANDLE file = CreateFileW(JoinPath(programFolder, kInstallRecordName).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const std::wstring existing = ReadAll(file);
    std::set<std::wstring> known;
    for (const std::wstring& line : Lines(existing)) known.insert(Folded(line));
    std::wstring added = existing.empty() ? std::wstring(1, kByteOrderMark) : std::wstring();
    // A record cut short in the middle of a line must not glue the next name onto it.
    if (!existing.empty() && existing.back() != L'\n') added += L"\r\n";
    for (const std::wstring& name : files)
        if (known.insert(Folded(name)).second) added += name + L"\r\n";
    for (const std::wstring& name : folders)
        if (known.insert(Folded(name + L"\\")).second) added += name + L"\\\r\n";
    DWORD written = 0;
    const DWORD bytes = static_cast<DWORD>(added.size() * sizeof(wchar_t));
    const bool ok = SetFilePointer(file, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
                    WriteFile(file, added.data(), bytes, &written, nullptr) && written == bytes;
    CloseHandle(file);
    return ok;
}

std::vector<std::wstring> ReadInstallRecord(const std::wstring& programFolder) {
    HANDLE file = CreateFileW(JoinPath(programFolder, kInstallRecordName).c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    const std::wstring text = ReadAll(file);
    CloseHandle(file);
    return Lines(text);
}
