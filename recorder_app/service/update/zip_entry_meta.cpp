#include "zip_entry_meta.h"

namespace {

constexpr uint16_t kExtendedTimestampTag = 0x5455;  // "UT"

uint32_t Le16(const uint8_t* p) { return p[0] | p[1] << 8; }

int32_t Le32(const uint8_t* p) {
    return static_cast<int32_t>(p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace

uint32_t EntryAttributes(uint32_t versionMadeBy, uint32_t externalAttributes) {
    const uint32_t host = (versionMadeBy >> 8) & 0xFF;
    if (host == 0 || host == 7 || host == 11 || host == 14)
        return externalAttributes & (kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrFolder | kAttrArchive);
    uint32_t attributes = kAttrArchive;
    if ((externalAttributes & (1u << 23)) == 0) attributes |= kAttrReadOnly;
    if ((externalAttributes & (1u << 30)) != 0) attributes |= kAttrFolder;
    return attributes;
}

bool FindExtendedTimes(const uint8_t* extra, size_t size, ExtendedTimes* times) {
    if (extra == nullptr || size <= 4) return false;
    size_t pos = 0;
    while (size - pos >= 4) {
        const uint32_t tag = Le16(extra + pos);
        const size_t length = Le16(extra + pos + 2);
        const uint8_t* data = extra + pos + 4;
        const size_t available = size - pos - 4 < length ? size - pos - 4 : length;
        if (tag == kExtendedTimestampTag && available >= 1) {
            const uint8_t flags = data[0];
            size_t at = 1;
            auto take = [&](bool wanted, bool* has, int32_t* value) {
                if (!wanted || available - at < 4) return;
                *has = true;
                *value = Le32(data + at);
                at += 4;
            };
            *times = ExtendedTimes();
            take(flags & 1, &times->hasModified, &times->modified);
            take(flags & 2, &times->hasAccessed, &times->accessed);
            take(flags & 4, &times->hasCreated, &times->created);
            return true;
        }
        pos += 4 + available;
    }
    return false;
}

uint64_t UnixToFileTime(int32_t seconds) {
    return static_cast<uint64_t>(static_cast<int64_t>(seconds) + 11644473600LL) * 10000000ULL;
}
