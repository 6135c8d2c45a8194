#include "file_name_cleaning.h"
#include "service/request/device_names.h"

namespace {

bool IsWhiteSpace(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

// Characters no Windows file or folder name may hold.
bool IsForbiddenInName(wchar_t c) {
    if (c < 0x20) return true;
    switch (c) {
    case L'\\': case L'/': case L':': case L'*': case L'?': case L'"': case L'<': case L'>': case L'|':
        return true;
    default:
        return false;
    }
}

std::wstring Replace(std::wstring text, bool (*replaced)(wchar_t)) {
    for (wchar_t& c : text)
        if (replaced(c)) c = L'_';
    return text;
}

}  // namespace

std::wstring TrimWhiteSpace(const std::wstring& text) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsWhiteSpace(text[begin])) ++begin;
    while (end > begin && IsWhiteSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::wstring CleanFileTitle(const std::wstring& title) {
    return Replace(title, [](wchar_t c) { return c == L' ' || IsForbiddenInName(c); });
}

std::wstring CleanFolderName(const std::wstring& name) {
    std::wstring folder = Replace(TrimWhiteSpace(name), [](wchar_t c) { return c == L'.' || IsForbiddenInName(c); });
    // A blank name would put the copy among the recordings of "My Podcasts\Unpublished", and
    // Windows refuses a folder called "CON" or "LPT1".
    if (folder.empty() || IsDeviceName(folder)) folder += L'_';
    return folder;
}
