#include "log_escape.h"
#include <cwchar>

namespace {

bool IsControl(wchar_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

bool IsLineSeparator(wchar_t c) { return c == 0x2028 || c == 0x2029; }

}  // namespace

std::wstring EscapeForLog(const std::wstring& text) {
    std::wstring escaped;
    escaped.reserve(text.size());
    for (const wchar_t c : text) {
        switch (c) {
            case L'\r': escaped += L"\\r"; continue;
            case L'\n': escaped += L"\\n"; continue;
            case L'\t': escaped += L"\\t"; continue;
            case L'\\': escaped += L"\\\\"; continue;
            default: break;
        }
        if (IsControl(c) || IsLineSeparator(c)) {
            wchar_t code[8];
            std::swprintf(code, 8, IsControl(c) ? L"\\x%02X" : L"\\u%04X", static_cast<unsigned>(c));
            escaped += code;
        } else {
            escaped += c;
        }
    }
    return escaped;
}
