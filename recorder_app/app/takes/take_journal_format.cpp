#include "take_journal_format.h"
#include <vector>

namespace {

const wchar_t kMagic[] = L"Quillbank recorder take journal 1";

void AppendUtf16(std::string& bytes, const std::wstring& text) {
    for (wchar_t c : text) {
        const uint32_t unit = static_cast<uint32_t>(c) & 0xFFFF;
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
}

bool ParseNumber(const std::wstring& text, uint32_t& value) {
    // Decimal as to_wstring writes it: no sign, no leading zero.
    if (text.empty() || text.size() > 10 || (text.size() > 1 && text[0] == L'0')) return false;
    uint64_t number = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        number = number * 10 + static_cast<uint64_t>(c - L'0');
    }
    if (number > 0xFFFFFFFFu) return false;
    value = static_cast<uint32_t>(number);
    return true;
}

bool ParseSpots(const std::wstring& text, SpotSet& spots) {
    size_t at = 0;
    bool first = true;
    uint32_t last = 0;
    while (at < text.size()) {
        const size_t space = text.find(L' ', at);
        const size_t end = space == std::wstring::npos ? text.size() : space;
        uint32_t spot = 0;
        // One space between numbers, strictly ascending: exactly what EncodeTakeJournal writes.
        if (!ParseNumber(text.substr(at, end - at), spot) || (!first && spot <= last)) return false;
        if (space != std::wstring::npos && space + 1 == text.size()) return false;
        spots.insert(spot);
        last = spot;
        first = false;
        at = space == std::wstring::npos ? text.size() : space + 1;
    }
    return true;
}

// A path as the program writes it: not empty, no control characters (no line breaks).
bool IsPlainPath(const std::wstring& path) {
    if (path.empty()) return false;
    for (wchar_t c : path)
        if (static_cast<uint32_t>(c) < 0x20) return false;
    return true;
}

std::wstring SpotsText(const SpotSet& spots) {
    std::wstring text;
    for (uint32_t spot : spots) {
        if (!text.empty()) text += L" ";
        text += std::to_wstring(spot);
    }
    return text;
}

bool Fail(std::wstring& why, const std::wstring& text) {
    why = text;
    return false;
}

}  // namespace

std::string EncodeTakeJournal(const TakeJournal& journal) {
    std::wstring text = std::wstring(kMagic) + L"\n";
    text += L"part=" + journal.part + L"\n";
    if (journal.ContinuesClip()) {
        text += L"earlier=" + journal.earlier + L"\n";
        text += L"cut=" + std::to_wstring(journal.cutMs) + L"\n";
    }
    text += L"spots=" + SpotsText(journal.spots) + L"\n";
    if (journal.spotsChanged) text += L"take-spots=" + SpotsText(journal.takeSpots) + L"\n";
    text += L"end\n";
    std::string bytes;
    AppendUtf16(bytes, text);
    return bytes;
}

bool DecodeTakeJournal(const std::string& bytes, TakeJournal& result, std::wstring& why) {
    result = TakeJournal{};
    TakeJournal journal;  // handed out only whole
    if (bytes.size() > kMaxTakeJournalBytes) return Fail(why, L"too large");
    if (bytes.size() % 2 != 0) return Fail(why, L"an odd number of bytes");
    std::wstring text;
    text.reserve(bytes.size() / 2);
    for (size_t i = 0; i < bytes.size(); i += 2) {
        const uint32_t unit =
            static_cast<uint8_t>(bytes[i]) | static_cast<uint32_t>(static_cast<uint8_t>(bytes[i + 1])) << 8;
        if (unit == 0) return Fail(why, L"a null character");
        text.push_back(static_cast<wchar_t>(unit));
    }

    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t lf; (lf = text.find(L'\n', start)) != std::wstring::npos; start = lf + 1)
        lines.push_back(text.substr(start, lf - start));
    if (start != text.size()) return Fail(why, L"cut short");
    if (lines.empty() || lines.front() != kMagic) return Fail(why, L"not a take journal");
    if (lines.size() < 2 || lines.back() != L"end") return Fail(why, L"cut short");

    // The lines in the order EncodeTakeJournal writes them, the optional ones where they go.
    size_t next = 1;
    std::wstring value;
    auto line = [&](const wchar_t* key) {
        const std::wstring prefix = std::wstring(key) + L"=";
        if (next + 1 >= lines.size() || lines[next].compare(0, prefix.size(), prefix) != 0) return false;
        value = lines[next++].substr(prefix.size());
        return true;
    };
    if (!line(L"part") || !IsPlainPath(value)) return Fail(why, L"no part, or a bad one");
    journal.part = value;
    if (line(L"earlier")) {
        if (!IsPlainPath(value)) return Fail(why, L"a bad earlier clip path");
        journal.earlier = value;
        if (!line(L"cut") || !ParseNumber(value, journal.cutMs)) return Fail(why, L"no cut, or a bad one");
    }
    if (!line(L"spots") || !ParseSpots(value, journal.spots)) return Fail(why, L"no spots, or bad ones");
    if (line(L"take-spots")) {
        if (!ParseSpots(value, journal.takeSpots)) return Fail(why, L"bad spots of the take");
        journal.spotsChanged = true;
    }
    if (next + 1 != lines.size()) return Fail(why, L"an unknown, repeated or misplaced line");
    why.clear();
    result = journal;
    return true;
}
