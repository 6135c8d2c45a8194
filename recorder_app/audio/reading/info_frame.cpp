#include "audio/reading/info_frame.h"

#include <cstring>

namespace {

constexpr size_t kHeaderBytes = 4;
// The extension: a 9-byte encoder name, then 12 bytes of settings, then the delay and the
// padding, 12 bits each; 36 bytes in all.
constexpr size_t kExtensionBytes = 36;
constexpr size_t kDelayAt = 21;
constexpr size_t kVbriAt = kHeaderBytes + 32;

uint32_t BigEndian32(const uint8_t* b) {
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
}

}  // namespace

// Encoders put "Xing" or "Info" right after the Layer III side information; LAME does so
// even in a frame whose header announces a CRC, others leave room for the CRC.
InfoLayout LocateInfoFields(const uint8_t* frame, size_t size, const FrameHeader& h) {
    const bool mpeg1 = h.version == MpegVersion::Mpeg1;
    const size_t sideInfo = mpeg1 ? (h.channels == 1 ? 17 : 32) : (h.channels == 1 ? 9 : 17);
    const size_t offsets[] = {kHeaderBytes + sideInfo, kHeaderBytes + sideInfo + 2};
    InfoLayout layout;
    for (size_t i = 0; i < (h.crcPresent ? 2u : 1u); ++i) {
        const uint8_t* tag = frame + offsets[i];
        if (offsets[i] + 16 > size) break;
        if (std::memcmp(tag, "Xing", 4) != 0 && std::memcmp(tag, "Info", 4) != 0) continue;
        const uint32_t kFramesPresent = 1, kBytesPresent = 2, kTocPresent = 4, kQualityPresent = 8;
        const uint32_t flags = BigEndian32(tag + 4);
        layout.kind = InfoLayout::Kind::kXing;
        layout.tag = offsets[i];
        size_t field = offsets[i] + 8;
        if (flags & kFramesPresent) layout.frames = field, field += 4;
        if (flags & kBytesPresent) layout.bytes = field, field += 4;
        if (flags & kTocPresent) layout.toc = field, field += 100;
        if (flags & kQualityPresent) field += 4;
        if (field + kExtensionBytes <= size && (std::memcmp(frame + field, "LAME", 4) == 0 ||
                                                std::memcmp(frame + field, "Lavf", 4) == 0 ||
                                                std::memcmp(frame + field, "Lavc", 4) == 0))
            layout.lame = field;
        return layout;
    }
    // Fraunhofer's encoders write a VBRI frame instead: its tag 32 bytes after the header,
    // then version, delay and quality (two bytes each), the stream's bytes and its frames.
    if (kVbriAt + 18 <= size && std::memcmp(frame + kVbriAt, "VBRI", 4) == 0) {
        layout.kind = InfoLayout::Kind::kVbri;
        layout.tag = kVbriAt;
        layout.bytes = kVbriAt + 10;
        layout.frames = kVbriAt + 14;
    }
    return layout;
}

InfoCounts ReadInfoFrame(const uint8_t* frame, size_t size, const FrameHeader& h) {
    const InfoLayout layout = LocateInfoFields(frame, size, h);
    InfoCounts counts;
    if (layout.kind == InfoLayout::Kind::kNone) return counts;
    counts.present = true;
    if (layout.frames) counts.frames = BigEndian32(frame + layout.frames);
    if (layout.bytes) counts.bytes = BigEndian32(frame + layout.bytes);
    if (layout.lame) {
        const uint8_t* delay = frame + layout.lame + kDelayAt;
        counts.encoderDelay = (int32_t(delay[0]) << 4) | (delay[1] >> 4);
    }
    return counts;
}

size_t LeadingInfoFrameBytes(const uint8_t* bytes, size_t size) {
    if (size < kHeaderBytes) return 0;
    const uint32_t window = HeaderOf(bytes);
    FrameHeader h;
    if (!IsValidHeader(window) || !ParseHeader(window, true, h) || h.bodyLength <= 0) return 0;
    const size_t frameBytes = kHeaderBytes + static_cast<size_t>(h.bodyLength);
    if (frameBytes > size) return 0;
    return ReadInfoFrame(bytes, frameBytes, h).present ? frameBytes : 0;
}
