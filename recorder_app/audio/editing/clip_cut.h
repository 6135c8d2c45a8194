// Removes stretches of a Layer III clip losslessly: every kept frame keeps its bytes, except
// the few removed frames that stay at each seam as silent carriers of the bytes the next
// kept frame draws on (seam_plan.h). The Info frame's counts, seek table, delay, padding and
// CRCs are written for the new clip; tags in front, between frames and at the end are kept.
// Reads the clip once, front to back: the working set is one read buffer and 6 bytes per
// frame. Pure logic over a ByteSource and a ClipWriter; no exceptions, integer results.
#pragma once
#include "audio/editing/clip_writer.h"
#include "audio/editing/seam_plan.h"
#include "audio/reading/byte_source.h"

#include <cstdint>
#include <vector>

// CutClip results.
constexpr int kCutWritten = 0;
constexpr int kCutReadFailed = -1;
constexpr int kCutWriteFailed = -2;
constexpr int kCutNoFrames = -3;         // no MPEG audio frames
constexpr int kCutNotLayer3 = -4;        // Layer I or II
constexpr int kCutTooLarge = -5;         // 4 GiB or more
constexpr int kCutNothingToRemove = -6;  // every stretch is empty once clamped to the audio
constexpr int kCutDamaged = -7;          // bytes that are no frame outside the removed frames,
                                         // or among those the first kept frame draws on

struct CutSummary {
    uint32_t framesBefore = 0;  // frames of the clip, an Info frame included
    uint32_t framesAfter = 0;   // frames written, an Info frame and the carriers included
    uint32_t carriers = 0;      // removed frames kept as silent carriers, over all seams
    uint64_t bytesWritten = 0;
    // The cuts as made, in the order of the clip: what follows each seam moved back by
    // carriers - first frames of all the cuts before it.
    std::vector<PlannedCut> cuts;
};

// The frame boundary nearest to `ms`, with frames of `msPerFrame` (FrameReader::MsPerFrame)
// counted from the clip's first frame, as the reader and the player count them.
uint32_t FrameBoundaryAt(double ms, double msPerFrame);

// Writes `source` to `out` without the frames of `stretches` (in any order; overlapping or
// touching ones merge). An Info frame (frame 0) is never removed. On any result but
// kCutWritten, what `out` holds is not a clip and must be thrown away.
int CutClip(ByteSource& source, const std::vector<FrameStretch>& stretches, ClipWriter& out,
            CutSummary* summary = nullptr);
