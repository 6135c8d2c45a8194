// The map a cut is planned on: where each frame of a Layer III clip lies and how long it is,
// what stands between frames (tags, or damage: bytes that are no frame), and the tags at the
// front and the end. Made in one pass over the clip; it holds 6 bytes per frame (1.6 MB for
// a two-hour clip), never the clip's bytes. Pure logic.
#pragma once
#include "audio/editing/source_window.h"
#include "audio/reading/frame_header.h"

#include <cstdint>
#include <vector>

struct FrameGap {
    uint32_t beforeFrame = 0;  // index of the frame after it; the frame count for the last
    uint32_t start = 0;
    uint32_t end = 0;
    bool damaged = false;  // junk or a cut-off frame, not a tag
};

struct FrameMap {
    FrameHeader format;  // the first frame's header: version, layer and rate of the stream
    uint32_t formatWindow = 0;
    bool infoFrame = false;         // frame 0 is a Xing, Info or VBRI frame
    std::vector<uint32_t> offsets;  // each frame's first byte
    std::vector<uint16_t> sizes;    // each frame's length, header included
    std::vector<FrameGap> gaps;     // in the order of the clip
    uint32_t tailStart = 0;         // the tags at the end (ID3v1, APE) begin here
    uint32_t fileSize = 0;

    uint32_t Frames() const { return static_cast<uint32_t>(offsets.size()); }
    uint32_t FirstAudioFrame() const { return infoFrame ? 1u : 0u; }
};

// MapFrames results.
constexpr int kMapDone = 0;
constexpr int kMapReadFailed = -1;
constexpr int kMapNoFrames = -2;   // no MPEG audio frame found
constexpr int kMapNotLayer3 = -3;  // frames of Layer I or II
constexpr int kMapTooLarge = -4;   // 4 GiB or more

int MapFrames(SourceWindow& source, FrameMap& map);
