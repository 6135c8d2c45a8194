#include "audio/reading/info_frame.h"

#include <cstring>

namespace {

constexpr size_t kHeaderBytes = 4;

uint32_t BigEndian32(const uint8_t* b) {
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
}

}  // namespace

// Encoders put "Xing" or "Info" right after the Layer III side information; LAME does so
// even in a frame whose header announces a CRC, others leave room for the CRC.
InfoCounts ReadInfoFrame(const uint8_t* frame, size_t size, const FrameHeader& h) {
    const bool mpeg1 = h.version == MpegVersion::Mpeg1;
    const size_t sideInfo = mpeg1 ? (h.channels == 1 ? 17 : 32) : (h.channels == 1 ? 9 : 17);
    const size_t offsets[] = {kHeaderBytes + sideInfo, kHeaderBytes + sideInfo + 2};
    for (size_t i = 0; i < (h.crcPresent ? 2u : 1u); ++i) {
        const uint8_t* tag = frame + offsets[i];
        if (offsets[i] + 16 > size) break;
        if (std::memcmp(tag, "Xing", 4) != 0 && std::memcmp(tag, "Info", 4) != 0) continue;
        const uint32_t kFramesPresent = 1, kBytesPresent = 2, kTocPresent = 4, kQualityPresent = 8;
        const uint32_t flags = BigEndian32(tag + 4);
        InfoCounts counts;
        counts.present = true;
        const uint8_t* field = tag + 8;
        if (flags & kFramesPresent) counts.frames = BigEndian32(field), field += 4;
        if (flags & kBytesPresent) counts.bytes = BigEndian32(field), field += 4;
        if (flags & kTocPresent) field += 100;
        if (flags & kQualityPresent) field += 4;
        // The extension: a 9-byte encoder name, then 12 bytes of settings, then the delay
        // and the padding, 12 bits each.
        constexpr size_t kDelayAt = 21;
        const size_t at = static_cast<size_t>(field - frame);
        if (at + kDelayAt + 3 <= size && (std::memcmp(field, "LAME", 4) == 0 || std::memcmp(field, "Lavf", 4) == 0 ||
                                          std::memcmp(field, "Lavc", 4) == 0))
            counts.encoderDelay = (int32_t(field[kDelayAt]) << 4) | (field[kDelayAt + 1] >> 4);
        return counts;
    }
    // Fraunhofer's encoders write a VBRI frame instead: its tag 32 bytes after the header,
    // then version, delay and quality (two bytes each), the stream's bytes and its frames.
    const size_t vbri = kHeaderBytes + 32;
    InfoCounts counts;
    if (vbri + 18 <= size && std::memcmp(frame + vbri, "VBRI", 4) == 0) {
        counts.present = true;
        counts.bytes = BigEndian32(frame + vbri + 10);
        counts.frames = BigEndian32(frame + vbri + 14);
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
