// Builds MPEG audio byte streams in memory for tests of the frame reader: headers, frames
// of the right length with a recognisable body, ID3v2 tags and garbage.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace synthetic {

// MPEG-1 Layer III, 44100 Hz, single channel, 96 kbit/s, with a CRC: the recording format.
constexpr uint32_t kRecordingHeader = 0xFFFA70C0;
// MPEG-1 Layer III, 44100 Hz, joint stereo, 128 kbit/s, no CRC.
constexpr uint32_t kStereoHeader = 0xFFFB9064;

inline void AppendHeader(std::vector<uint8_t>& out, uint32_t header) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(header >> shift));
}

// A frame whose body bytes all equal `fill`.
inline void AppendFrame(std::vector<uint8_t>& out, uint32_t header, int bodyLength, uint8_t fill) {
    AppendHeader(out, header);
    out.insert(out.end(), static_cast<size_t>(bodyLength), fill);
}

// An ID3v2.3 tag whose size field says `size`; `actual` bytes follow its 10-byte header.
inline void AppendId3(std::vector<uint8_t>& out, uint32_t size, uint32_t actual) {
    const uint8_t head[] = {'I', 'D', '3', 3, 0, 0, uint8_t((size >> 21) & 0x7F),
                            uint8_t((size >> 14) & 0x7F), uint8_t((size >> 7) & 0x7F),
                            uint8_t(size & 0x7F)};
    out.insert(out.end(), head, head + sizeof head);
    out.insert(out.end(), actual, 0);
}

// Bytes that never form a valid header (no 11-bit sync anywhere).
inline void AppendGarbage(std::vector<uint8_t>& out, size_t count) {
    for (size_t i = 0; i < count; ++i) out.push_back(uint8_t(0x11 + i % 0x60));
}

}  // namespace synthetic
