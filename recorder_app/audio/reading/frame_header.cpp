// Header tables and arithmetic from ISO/IEC 11172-3 and 13818-3 (plus MPEG-2.5).
#include "audio/reading/frame_header.h"

namespace {

const int kSampleRates[kSamplingIndexCount] = {44100, 48000, 32000, 22050, 24000,
                                               16000, 11025, 12000, 8000};

// kbit/s by bitrate index 0-14; index 0 is free format.
const int kMpeg1Bitrates[3][15] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // Layer I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // Layer II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // Layer III
};
const int kMpeg2Bitrates[2][15] = {
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},  // Layer I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},       // Layers II, III
};

int BodyLength(const FrameHeader& h) {
    const int bitrate = BitrateOf(h.version, h.layer, h.bitrateIndex);
    const int rate = SampleRateOf(h.samplingIndex);
    switch (h.layer) {
    case 1:
        return (bitrate * 12000 / rate + h.padding) * 4 - 4;
    case 2:
        return bitrate * 144000 / rate + h.padding - 4;
    default: {
        const int divisor = h.version == MpegVersion::Mpeg1 ? rate : rate * 2;
        return bitrate * 144000 / divisor + h.padding - 4;
    }
    }
}

}  // namespace

bool IsValidHeader(uint32_t h) {
    return (h & 0xFFE00000u) == 0xFFE00000u    // frame sync
           && (h & 0xFFFF0000u) != 0xFFFF0000u  // not a run of 0xFF bytes
           && (h & 0x00060000u) != 0            // layer not reserved
           && (h & 0x0000F000u) != 0x0000F000u  // bitrate index not 15
           && (h & 0x00000C00u) != 0x00000C00u; // sampling rate not reserved
}

int SampleRateOf(int samplingIndex) {
    if (samplingIndex < 0 || samplingIndex >= kSamplingIndexCount) return kSampleRates[0];
    return kSampleRates[samplingIndex];
}

int BitrateOf(MpegVersion version, int layer, int bitrateIndex) {
    if (layer < 1 || layer > 3 || bitrateIndex < 0 || bitrateIndex > 14) return 0;
    if (version == MpegVersion::Mpeg1) return kMpeg1Bitrates[layer - 1][bitrateIndex];
    return kMpeg2Bitrates[layer == 1 ? 0 : 1][bitrateIndex];
}

bool ParseHeader(uint32_t h, bool latchFormat, FrameHeader& header) {
    FrameHeader next = header;
    if (h & (1u << 20))
        next.version = (h & (1u << 19)) ? MpegVersion::Mpeg1 : MpegVersion::Mpeg2;
    else
        next.version = MpegVersion::Mpeg25;
    if (latchFormat) {
        next.layer = 4 - static_cast<int>((h >> 17) & 3);
        const int base = next.version == MpegVersion::Mpeg1 ? 0
                         : next.version == MpegVersion::Mpeg2 ? 3 : 6;
        next.samplingIndex = base + static_cast<int>((h >> 10) & 3);
        next.samplesPerFrame = next.layer == 1   ? 384
                               : next.layer == 2 ? 1152
                               : next.version == MpegVersion::Mpeg1 ? 1152 : 576;
    }
    next.crcPresent = (h & (1u << 16)) == 0;
    next.bitrateIndex = static_cast<int>((h >> 12) & 15);
    if (next.bitrateIndex == 0) return false;
    next.padding = static_cast<int>((h >> 9) & 1);
    next.privateBit = (h >> 8) & 1;
    next.channelMode = static_cast<int>((h >> 6) & 3);
    next.modeExtension = static_cast<int>((h >> 4) & 3);
    next.copyright = (h >> 3) & 1;
    next.original = (h >> 2) & 1;
    next.emphasis = static_cast<int>(h & 3);
    next.channels = next.channelMode == 3 ? 1 : 2;
    next.bodyLength = BodyLength(next);
    if (next.bodyLength < 1 || next.bodyLength > kMaxFrameBody) return false;
    header = next;
    return true;
}

int SideInfoLength(const FrameHeader& h) {
    if (h.layer != 3) return 0;
    int length;
    if (h.version == MpegVersion::Mpeg1)
        length = h.channels == 1 ? 17 : 32;
    else
        length = h.channels == 1 ? 9 : 17;
    return h.crcPresent ? length + 2 : length;
}

double MsPerFrame(const FrameHeader& h) {
    if (h.samplesPerFrame == 0) return 0.0;
    const float ms = static_cast<float>(h.samplesPerFrame * 1000.0 / SampleRateOf(h.samplingIndex));
    return static_cast<double>(ms);
}
