#include "audio/loudness/global_gain.h"

namespace {

constexpr int kHeaderBits = 32;
constexpr int kCrcBits = 16;
// Bits of one granule and channel in the side information, and of the fields before them.
constexpr int kMpeg1GranuleBits = 59;
constexpr int kLsfGranuleBits = 63;
constexpr int kMpeg1MonoPrefix = 9 + 5 + 4;    // main_data_begin, private bits, scfsi
constexpr int kMpeg1StereoPrefix = 9 + 3 + 8;
constexpr int kLsfMonoPrefix = 8 + 1;          // main_data_begin, private bits
constexpr int kLsfStereoPrefix = 8 + 2;
constexpr int kGainInGranule = 12 + 9;         // after part2_3_length and big_values
constexpr int kGainWidth = 8;
constexpr int kLengthWidth = 12;

uint32_t ReadBits(const uint8_t* data, int offset, int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
        const int bit = offset + i;
        value = (value << 1) | ((data[bit >> 3] >> (7 - (bit & 7))) & 1u);
    }
    return value;
}

void WriteBits(uint8_t* data, int offset, int count, uint32_t value) {
    for (int i = 0; i < count; ++i) {
        const int bit = offset + i;
        const uint8_t mask = static_cast<uint8_t>(0x80u >> (bit & 7));
        if ((value >> (count - 1 - i)) & 1u) data[bit >> 3] |= mask;
        else data[bit >> 3] &= static_cast<uint8_t>(~mask);
    }
}

bool Coded(const uint8_t* frame, const GainLayout& layout, int granule) {
    return ReadBits(frame, layout.lengthBits[granule], kLengthWidth) != 0;
}

}  // namespace

bool GainLayoutOf(const FrameHeader& header, GainLayout& layout) {
    if (header.layer != 3) return false;
    const bool mpeg1 = header.version == MpegVersion::Mpeg1;
    const bool mono = header.channels == 1;
    const int prefix = mpeg1 ? (mono ? kMpeg1MonoPrefix : kMpeg1StereoPrefix)
                             : (mono ? kLsfMonoPrefix : kLsfStereoPrefix);
    const int granuleBits = mpeg1 ? kMpeg1GranuleBits : kLsfGranuleBits;
    const int start = kHeaderBits + (header.crcPresent ? kCrcBits : 0) + prefix;
    // Granule by granule, channel by channel within each.
    layout.granules = (mpeg1 ? 2 : 1) * (mono ? 1 : 2);
    for (int g = 0; g < layout.granules; ++g) {
        layout.lengthBits[g] = start + g * granuleBits;
        layout.gainBits[g] = layout.lengthBits[g] + kGainInGranule;
    }
    layout.protectedBytes = 4 + SideInfoLength(header);
    return true;
}

void GainSpan::Add(const GainSpan& other) {
    if (other.lowest < lowest) lowest = other.lowest;
    if (other.highest > highest) highest = other.highest;
}

void SurveyGains(const uint8_t* frame, size_t size, const FrameHeader& header, GainSpan& span) {
    GainLayout layout;
    if (!GainLayoutOf(header, layout) || size < static_cast<size_t>(layout.protectedBytes)) return;
    for (int g = 0; g < layout.granules; ++g) {
        if (!Coded(frame, layout, g)) continue;
        const int gain = static_cast<int>(ReadBits(frame, layout.gainBits[g], kGainWidth));
        if (gain < span.lowest) span.lowest = gain;
        if (gain > span.highest) span.highest = gain;
    }
}

bool ShiftGains(uint8_t* frame, size_t size, const FrameHeader& header, int steps) {
    GainLayout layout;
    if (!GainLayoutOf(header, layout) || size < static_cast<size_t>(layout.protectedBytes)) return false;
    GainSpan span;
    SurveyGains(frame, size, header, span);
    if (!span.Empty() && (span.lowest + steps < kMinGlobalGain || span.highest + steps > kMaxGlobalGain))
        return false;
    for (int g = 0; g < layout.granules; ++g) {
        if (!Coded(frame, layout, g)) continue;
        const uint32_t gain = ReadBits(frame, layout.gainBits[g], kGainWidth);
        WriteBits(frame, layout.gainBits[g], kGainWidth, static_cast<uint32_t>(static_cast<int>(gain) + steps));
    }
    if (header.crcPresent) {
        const uint16_t crc = Layer3Crc(frame, layout);
        frame[4] = static_cast<uint8_t>(crc >> 8);
        frame[5] = static_cast<uint8_t>(crc & 0xFF);
    }
    return true;
}

uint16_t Layer3Crc(const uint8_t* frame, const GainLayout& layout) {
    // A byte at a time through a table: every frame of a two-hour clip passes here.
    static const auto table = [] {
        struct Table { uint16_t entry[256]; } t{};
        for (uint32_t byte = 0; byte < 256; ++byte) {
            uint32_t crc = byte << 8;
            for (int i = 0; i < 8; ++i) crc = (crc & 0x8000) ? ((crc << 1) ^ 0x8005) : (crc << 1);
            t.entry[byte] = static_cast<uint16_t>(crc);
        }
        return t;
    }();
    uint16_t crc = 0xFFFF;
    auto feed = [&crc](uint8_t byte) {
        crc = static_cast<uint16_t>((crc << 8) ^ table.entry[((crc >> 8) ^ byte) & 0xFF]);
    };
    feed(frame[2]);
    feed(frame[3]);
    // The stored CRC itself (bytes 4 and 5) is not covered.
    for (int i = 6; i < layout.protectedBytes; ++i) feed(frame[i]);
    return crc;
}
