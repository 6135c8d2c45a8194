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

std::wstring CutToFit(const std::wstring& text, size_t maxUnits, size_t maxBytes) {
    size_t units = 0, bytes = 0;
    while (units < text.size()) {
        const wchar_t c = text[units];
        const bool pair = c >= 0xD800 && c <= 0xDBFF && units + 1 < text.size() && text[units + 1] >= 0xDC00 &&
                          text[units + 1] <= 0xDFFF;
        const size_t width = pair ? 2 : 1;
        const size_t size = pair ? 4 : c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
        if (units + width > maxUnits || bytes + size > maxBytes) break;
        units += width;
        bytes += size;
    }
    return text.substr(0, units);
}

std::wstring CopyFileName(const std::wstring& date, const std::wstring& fileTitle, unsigned number,
                          size_t folderChars, size_t maxNameBytes) {
    const std::wstring suffix = (number > 1 ? L" (" + std::to_wstring(number) + L")" : L"") + L".mp3";
    const std::wstring start = date + L"-";
    // The date and the suffix are plain ASCII: a byte per character.
    const size_t fixedChars = start.size() + suffix.size();
    const size_t usedChars = folderChars + 1 + fixedChars;
    const size_t pathRoom = usedChars < kLongestPathChars ? kLongestPathChars - usedChars : 0;
    const size_t nameRoom = fixedChars < kLongestNameUnits ? kLongestNameUnits - fixedChars : 0;
    const size_t titleBytes = fixedChars < maxNameBytes ? maxNameBytes - fixedChars : 0;
    return start + CutToFit(fileTitle, pathRoom < nameRoom ? pathRoom : nameRoom, titleBytes) + suffix;
}

namespace {

// A folder name Windows would refuse or put elsewhere is made one it keeps.
std::wstring Usable(std::wstring folder) {
    // A blank name would put the copy among the recordings of "My Podcasts\Unpublished", and
    // Windows refuses a folder called "CON" or "LPT1".
    if (folder.empty() || IsDeviceName(folder)) folder += L'_';
    return folder;
}

}  // namespace

std::wstring CleanFolderName(const std::wstring& name) {
    return Usable(Replace(TrimWhiteSpace(name), [](wchar_t c) { return c == L'.' || IsForbiddenInName(c); }));
}

std::wstring FitFolderName(const std::wstring& folder, size_t parentChars) {
    const size_t usedChars = parentChars + 1 + kCopyRoomChars;
    // Always below the 255 units of a name: the parent path takes some.
    const size_t room = usedChars < kLongestPathChars ? kLongestPathChars - usedChars : 1;
    if (folder.size() <= room) return folder;
    // Windows drops a folder name's trailing spaces, which a cut may leave; the "_" a blank or
    // device name gets may take one character more than the room, which the title then gives.
    return Usable(TrimWhiteSpace(CutToFit(folder, room, kAnyNameBytes)));
}
