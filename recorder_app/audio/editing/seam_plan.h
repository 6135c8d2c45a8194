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

// PlanSeams results.
constexpr int kPlanDone = 0;
constexpr int kPlanReadFailed = -1;

// Clamps the stretches to the audio frames after `firstAudio` (an Info frame stays), leaves
// out empty ones and merges those that touch, in the order of the clip.
std::vector<PlannedCut> MergeStretches(std::vector<FrameStretch> stretches, uint32_t firstAudio);
// Once the clip's frame count is known: ends the cuts at its end, drops those after it.
void ClampCuts(std::vector<PlannedCut>& cuts, uint32_t frames);

// Whether the seam of a cut that ends at `end` draws only on the frames before the next cut,
// which begins at `limit`: each frame holds sound data of its own, so the frames from `end`
// on reach back past it only as far as the first 511 bytes (255 at the lower rates) of it.
enum class SeamExtent { kAlone, kReachesNextCut, kNotMappedYet, kReadFailed };
SeamExtent SeamExtentOf(const FrameMap& map, SourceWindow& source, uint32_t end, uint32_t limit, bool mapComplete);

// Plans the carriers of cuts [from, to) from the last to the first: a short run of kept
// frames between two cuts may pass a reach on to the cut before it, whose removed frames must
// then carry those bytes too. Cut `to - 1` must stand alone (or be the last, with `frames`
// the clip's frame count); `frames` is UINT32_MAX while it is not known.
int PlanSeams(const FrameMap& map, SourceWindow& source, uint32_t frames, std::vector<PlannedCut>& cuts, size_t from,
              size_t to);

// Damage may lie anywhere among the removed frames, up to the first byte a kept frame still
// draws on.
bool DamageAllowed(const FrameGap& gap, const std::vector<PlannedCut>& cuts);
