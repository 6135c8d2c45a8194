#include "base64.h"

namespace {

// The 6-bit value of a character of the standard alphabet, or -1.
int SextetOf(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

bool Refuse(std::vector<uint8_t>* bytes) {
    bytes->clear();
    return false;
}

}  // namespace

bool DecodeBase64(const std::string& text, std::vector<uint8_t>* bytes) {
    bytes->clear();
    if (text.size() % 4 != 0) return Refuse(bytes);
    bytes->reserve(text.size() / 4 * 3);
    for (size_t group = 0; group < text.size(); group += 4) {
        const bool last = group + 4 == text.size();
        // Padding: only in the last group, one or two "=" at its end.
        size_t padding = 0;
        if (last && text[group + 3] == '=') padding = text[group + 2] == '=' ? 2 : 1;
        uint32_t value = 0;
        for (size_t i = 0; i < 4; ++i) {
            int sextet = 0;
            if (i < 4 - padding) {
                sextet = SextetOf(text[group + i]);
                if (sextet < 0) return Refuse(bytes);
            }
            value = value << 6 | static_cast<uint32_t>(sextet);
        }
        // Bits below the last byte that the padding leaves must be zero.
        if ((padding == 1 && (value & 0xFF) != 0) || (padding == 2 && (value & 0xFFFF) != 0)) return Refuse(bytes);
        bytes->push_back(static_cast<uint8_t>(value >> 16));
        if (padding < 2) bytes->push_back(static_cast<uint8_t>(value >> 8));
        if (padding < 1) bytes->push_back(static_cast<uint8_t>(value));
    }
    return true;
}
