// The global gain of MPEG audio Layer III granules: where each granule's 8-bit field lies in
// the side information, how to read and shift it, and the frame's CRC-16 that covers it. One
// step of the field changes the decoded level by 2^(1/4), about 1.5 dB, without touching the
// coded audio, so a clip can be made louder or quieter losslessly. Pure logic, no Win32.
#pragma once
#include "audio/reading/frame_header.h"

#include <cstddef>
#include <cstdint>

constexpr int kMinGlobalGain = 0;
constexpr int kMaxGlobalGain = 255;
// 20 log10(2^(1/4)) dB.
constexpr double kGainStepDb = 1.5051499783199060;

// The granules of one frame: the bit offset from the start of the frame of each one's
// global_gain and part2_3_length. MPEG-1 has two granules per channel, MPEG-2 and 2.5 one.
struct GainLayout {
    int granules = 0;
    int gainBits[4] = {};
    int lengthBits[4] = {};
    int protectedBytes = 0;  // header and side information, CRC included
};

// False for a header that is not Layer III.
bool GainLayoutOf(const FrameHeader& header, GainLayout& layout);

// The lowest and highest global gain of the granules that carry coded audio; a granule with
// no coded bits decodes to silence whatever its gain, and is left as it is.
struct GainSpan {
    int lowest = kMaxGlobalGain + 1;
    int highest = kMinGlobalGain - 1;
    bool Empty() const { return highest < lowest; }
    void Add(const GainSpan& other);
};

// Adds the frame's coded granules to `span`. `frame` holds the header and body of a frame
// whose header parses to `header`; a frame too short for its side information adds nothing.
void SurveyGains(const uint8_t* frame, size_t size, const FrameHeader& header, GainSpan& span);

// Adds `steps` to the global gain of every coded granule and writes the frame's CRC again when
// it has one. False, with the frame unchanged, when a gain would leave 0..255 or the frame is
// too short.
bool ShiftGains(uint8_t* frame, size_t size, const FrameHeader& header, int steps);

// CRC-16 (polynomial 0x8005, start 0xFFFF) over the header's last two bytes and the side
// information, as the protection field holds it.
uint16_t Layer3Crc(const uint8_t* frame, const GainLayout& layout);
