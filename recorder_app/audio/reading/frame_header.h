// MPEG audio frame headers: the validity test, the fields of a header and the frame lengths
// that follow from them. Pure logic, no Win32, so that it also builds natively for fuzzing.
#pragma once
#include <cstdint>

enum class MpegVersion : uint8_t { Mpeg1, Mpeg2, Mpeg25 };

// Sampling indexes: 0-2 MPEG-1, 3-5 MPEG-2, 6-8 MPEG-2.5.
constexpr int kSamplingIndexCount = 9;

struct FrameHeader {
    MpegVersion version = MpegVersion::Mpeg1;
    int layer = 0;            // 1 to 3
    bool crcPresent = false;
    int bitrateIndex = 0;     // 1 to 14 in an accepted header
    int samplingIndex = 0;    // 0 to 8
    int padding = 0;          // 0 or 1
    bool privateBit = false;
    int channelMode = 0;      // 3 is single channel
    int modeExtension = 0;
    bool copyright = false;
    bool original = false;
    int emphasis = 0;
    int channels = 0;         // 1 or 2
    int samplesPerFrame = 0;  // 384, 576 or 1152
    int bodyLength = 0;       // bytes after the 4-byte header
};

// The 32-bit window of the header that opens `frame`.
inline uint32_t HeaderOf(const uint8_t* frame) {
    return (uint32_t(frame[0]) << 24) | (uint32_t(frame[1]) << 16) | (uint32_t(frame[2]) << 8) | frame[3];
}

// Version, layer and sampling rate: what two frames of one stream always share.
constexpr uint32_t kStreamFormatBits = 0x001E0C00;

// The five conditions a 32-bit window must meet to be taken for a header. A window of
// 0xFFFFxxxx is never accepted, which keeps runs of 0xFF bytes from being read as frames.
bool IsValidHeader(uint32_t window);

int SampleRateOf(int samplingIndex);
// kbit/s, or 0 for the free-format index 0.
int BitrateOf(MpegVersion version, int layer, int bitrateIndex);

// Parses a header that passed IsValidHeader into `header`. The layer, the sampling index and
// the frame length in samples are taken from the window only when `latchFormat` is set (the
// first header of a stream); otherwise those of `header` are kept and the window contributes
// the version, the bitrate, padding, the channel mode and the flags. Returns false for a
// free-format header (bitrate index 0), whose length cannot be known from the header.
bool ParseHeader(uint32_t window, bool latchFormat, FrameHeader& header);

// Bytes of Layer III side information after the header and CRC, 0 for other layers.
int SideInfoLength(const FrameHeader& header);

// Playing time of one frame: samples per frame at the stream's rate, held in single
// precision (1152 samples at 44100 Hz give 26.12244987487793 ms).
double MsPerFrame(const FrameHeader& header);

// Longest frame body any header can describe, for sizing the frame buffers.
constexpr int kMaxFrameBody = 6913;
