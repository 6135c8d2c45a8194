// Which frames a cut removes and which it keeps as the seam. A Layer III frame may take part
// of its sound data from up to 511 bytes (255 at the lower rates) of the frames before it
// (its main_data_begin); once those frames are gone, the first frame kept after a cut would
// decode foreign bytes. So the removed frames that hold bytes a kept frame reaches back to
// stay in the clip as carriers: rewritten to read no sound data of their own, they decode as
// silence and only carry those bytes. Decoders keep no more of the stream than each frame
// reached back to (mpg123 copies a frame's main_data_begin bytes in front of it, ffmpeg keeps
// what the last frame left unread), so each carrier still points back to the bytes before it
// that the kept frame needs. Carriers keep the clip's own bit rate: a recording stays a
// constant-rate stream whose length its size tells. Pure logic over the frame map.
#pragma once
#include "audio/editing/frame_map.h"
#include "audio/editing/source_window.h"

#include <cstdint>
#include <vector>

// Frames [first, end) in the reader's count, which includes an Info frame as frame 0.
struct FrameStretch {
    uint32_t first = 0;
    uint32_t end = 0;
};

// One cut: frames [first, carriers) go, frames [carriers, end) stay as silent carriers.
struct PlannedCut {
    uint32_t first = 0;
    uint32_t carriers = 0;
    uint32_t end = 0;
    uint32_t reach = 0;  // the earliest frame whose bytes the frames kept after it draw on
    int needed = 0;      // bytes before frame `end`'s sound data that they draw on
};

// The bytes of sound data that frame `frame` carries after its header, CRC and side
// information, and its main_data_begin when `reachBack` is given; -1 when it cannot be read.
int MainDataBytes(const FrameMap& map, SourceWindow& source, uint32_t frame, int* reachBack);

// PlanCuts results.
constexpr int kPlanDone = 0;
constexpr int kPlanReadFailed = -1;
constexpr int kPlanNothingToRemove = -2;
constexpr int kPlanDamaged = -3;  // damage outside the removed frames, or in bytes a kept frame draws on

// Clamps the stretches to the audio frames (an Info frame stays), merges those that touch,
// and plans each cut's carriers. `cuts` comes out in the order of the clip.
int PlanCuts(const FrameMap& map, std::vector<FrameStretch> stretches, SourceWindow& source, std::vector<PlannedCut>& cuts);
