#include "text_encoding.h"
#include <windows.h>
#include <climits>

namespace {

std::string Narrow(UINT codePage, const std::wstring& text) {
    if (text.empty() || text.size() > INT_MAX) return std::string();
    const int length = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::string narrow(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), length, &narrow[0], bytes, nullptr, nullptr);
    return narrow;
}

std::wstring Widen(UINT codePage, const char* text, size_t size) {
    if (size == 0 || size > INT_MAX) return std::wstring();
    const int length = static_cast<int>(size);
    const int units = MultiByteToWideChar(codePage, 0, text, length, nullptr, 0);
    if (units <= 0) return std::wstring();
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(codePage, 0, text, length, &wide[0], units);
    return wide;
}

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::string ToUtf8(const std::wstring& text) { return Narrow(CP_UTF8, text); }

std::wstring FromUtf8(const std::string& text) { return Widen(CP_UTF8, text.data(), text.size()); }

std::wstring FromUtf8Prefix(const std::string& text, size_t maxBytes) {
    if (text.size() <= maxBytes) return FromUtf8(text);
    size_t cut = maxBytes;
    // A sequence is at most four bytes long: back off to its lead byte.
    for (int step = 0; step < 3 && cut > 0 && IsUtf8Continuation(text[cut]); ++step) --cut;
    return Widen(CP_UTF8, text.data(), cut);
}

std::string ToAnsi(const std::wstring& text) { return Narrow(CP_ACP, text); }

std::wstring FromAnsi(const std::string& text) { return Widen(CP_ACP, text.data(), text.size()); }
