#include "web_address.h"
#include <cstdint>
#include <string>

namespace {

bool IsAsciiLetterOrDigit(wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9');
}

// The code points of UTF-16 text; a surrogate without its partner becomes U+FFFD.
std::u32string CodePoints(const std::wstring& text) {
    std::u32string points;
    for (size_t i = 0; i < text.size(); ++i) {
        const uint32_t unit = static_cast<uint16_t>(text[i]);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size()) {
            const uint32_t low = static_cast<uint16_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                points.push_back(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        points.push_back(unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit);
    }
    return points;
}

std::string Utf8(const std::u32string& points) {
    std::string bytes;
    for (const char32_t point : points) {
        const uint32_t p = point;
        if (p < 0x80) {
            bytes.push_back(static_cast<char>(p));
        } else if (p < 0x800) {
            bytes.push_back(static_cast<char>(0xC0 | p >> 6));
            bytes.push_back(static_cast<char>(0x80 | (p & 0x3F)));
        } else if (p < 0x10000) {
            bytes.push_back(static_cast<char>(0xE0 | p >> 12));
            bytes.push_back(static_cast<char>(0x80 | (p >> 6 & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | (p & 0x3F)));
        } else {
            bytes.push_back(static_cast<char>(0xF0 | p >> 18));
            bytes.push_back(static_cast<char>(0x80 | (p >> 12 & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | (p >> 6 & 0x3F)));
            bytes.push_back(static_cast<char>(0x80 | (p & 0x3F)));
        }
    }
    return bytes;
}

}  // namespace

std::wstring PercentEncodeUtf8(const std::wstring& text) {
    static const wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring encoded;
    for (const char byte : Utf8(CodePoints(text))) {
        const unsigned char b = static_cast<unsigned char>(byte);
        if (b < 0x80 && (IsAsciiLetterOrDigit(b) || b == '-' || b == '.' || b == '_' || b == '~')) {
            encoded.push_back(static_cast<wchar_t>(b));
        } else {
            encoded.push_back(L'%');
            encoded.push_back(kHex[b >> 4]);
            encoded.push_back(kHex[b & 0x0F]);
        }
    }
    return encoded;
}

bool IsHostLabel(const std::wstring& label) {
    constexpr size_t kMaxLabelChars = 63;
    if (label.empty() || label.size() > kMaxLabelChars) return false;
    if (label.front() == L'-' || label.back() == L'-') return false;
    for (const wchar_t c : label)
        if (!IsAsciiLetterOrDigit(c) && c != L'-') return false;
    return true;
}

std::wstring ForgotPasswordAddress(const std::wstring& webSiteHost, const std::wstring& login) {
    return L"http://" + webSiteHost + L"/forgotpwd.html?username=" + PercentEncodeUtf8(login);
}

std::wstring EpisodePageAddress(const std::wstring& siteName, const std::wstring& serverHost) {
    return L"http://" + siteName + L"." + serverHost + L"/index.html";
}
