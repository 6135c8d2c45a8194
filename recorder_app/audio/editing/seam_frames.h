// The frames a cut rewrites: the seam's carriers, made to decode as silence while keeping
// the bytes a later frame draws on, and the Info frame, whose counts, seek table and encoder
// extension must describe the clip as it is after the cut. Pure logic.
#pragma once
#include "audio/reading/frame_header.h"

#include <cstddef>
#include <cstdint>

// Zeroes the frame's side information (every granule's part2_3_length, big_values, scale
// factor selection and gain) so that it reads no sound data at all, sets its main_data_begin
// to `reachBack` so that decoders keep those bytes before it for the frames after it, and
// writes its CRC again when it has one. False when the frame is too short for its side
// information or not Layer III.
bool MakeCarrier(uint8_t* frame, size_t size, const FrameHeader& header, int reachBack);

// What the Info frame says of the clip after the cut.
constexpr int kTocEntries = 100;
struct InfoUpdate {
    uint32_t frames = 0;  // audio frames after the Info frame
    uint32_t bytes = 0;   // from the Info frame's first byte to the last frame's end
    // Where the frame at each hundredth of the frames begins, counted as `bytes` is.
    uint32_t tocPositions[kTocEntries] = {};
    int delay = -1;    // the encoder's delay in samples, -1 to keep it
    int padding = -1;  // the samples of padding at the end, -1 to keep it
    uint16_t musicCrc = 0;  // CRC-16 of the audio frames after the Info frame
};

// Rewrites the Info frame `frame` (Xing, Info or VBRI, with an encoder's extension or not).
// The extension's own CRC, over the frame's bytes before it, is written last.
void RewriteInfoFrame(uint8_t* frame, size_t size, const FrameHeader& header, const InfoUpdate& update);

// The CRC-16 that encoders keep in the extension (polynomial 0xA001 reflected, start 0),
// continued from `crc` over `size` bytes.
uint16_t ExtensionCrc(uint16_t crc, const uint8_t* data, size_t size);
