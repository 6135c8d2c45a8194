// The encoder's information frame (Xing, Info or VBRI) that opens many MP3 files: a frame
// of the stream that holds no sound but the stream's frame and byte counts. Pure logic.
#pragma once
#include <cstddef>
#include <cstdint>

#include "audio/reading/frame_header.h"

struct InfoCounts {
    bool present = false;  // the frame is an information frame
    uint32_t frames = 0;   // 0 when not given
    uint32_t bytes = 0;    // the stream's bytes from this frame on, 0 when not given
    // The samples the encoder put in front of the sound, from the extension that LAME and
    // encoders built on it add to the frame; -1 when there is none.
    int32_t encoderDelay = -1;
};

// Where the fields of an information frame lie, as offsets from the frame's first byte; 0 for
// a field the frame does not have. Rewriting a clip's frame and byte counts needs the places,
// reading them only the values.
struct InfoLayout {
    enum class Kind : uint8_t { kNone, kXing, kVbri };
    Kind kind = Kind::kNone;
    size_t tag = 0;     // "Xing", "Info" or "VBRI"
    size_t frames = 0;  // 32-bit big-endian frame count
    size_t bytes = 0;   // 32-bit big-endian byte count
    size_t toc = 0;     // Xing: 100 one-byte entries
    size_t lame = 0;    // the encoder's extension ("LAME", "Lavf", "Lavc"), 36 bytes
};
InfoLayout LocateInfoFields(const uint8_t* frame, size_t size, const FrameHeader& h);

// The counts of the frame (header included) whose header is `h`, when it is an
// information frame.
InfoCounts ReadInfoFrame(const uint8_t* frame, size_t size, const FrameHeader& h);

// The length of the information frame that `bytes` open with, or 0 when they open with
// anything else (a frame of sound, a tag, too few bytes to tell).
size_t LeadingInfoFrameBytes(const uint8_t* bytes, size_t size);
