// What deleting stretches of a clip does to what the window keeps beside it: the spots, the
// cursor, the selection. A cut removes whole frames; the frames it keeps as the seam's
// silent carriers stay, so a position after a seam moves back by the samples actually
// removed before it, converted to milliseconds once, so that hundreds of seams do not drift.
// Pure logic, no Win32.
#pragma once
#include <cstdint>
#include <vector>

#include "app/command_rules/spot_rules.h"
#include "audio/editing/seam_plan.h"
#include "audio/levels/level_series.h"

namespace cuts {

// One seam of the new clip, in the old clip's milliseconds.
struct Seam {
    uint32_t startMs = 0;  // where the deleted stretch began
    uint32_t endMs = 0;    // where it ended: what follows is kept
    uint64_t removedSamplesThrough = 0;  // samples removed by this cut and every one before it
};

// The clip's frames as the reader counts them: what turns frame numbers into time.
struct FrameClock {
    double msPerFrame = 0;
    uint32_t samplesPerFrame = 0;
    uint32_t sampleRate = 0;
    // The most frames a seam keeps as silent carriers at the first frame's size: those that
    // hold the bytes a kept frame may reach back to.
    uint32_t seamCarriers = 0;
};

// The seams of the cuts a deletion made (CutSummary::cuts), in the order of the clip.
std::vector<Seam> SeamsOf(const std::vector<PlannedCut>& cuts, const FrameClock& clock);

// Milliseconds removed before a position at or after `seam` ends.
uint32_t RemovedMsThrough(const Seam& seam, uint32_t sampleRate);

// Where a position of the old clip lies in the new one; a position inside a deleted stretch
// goes to its seam (where the sound after it now begins).
uint32_t PositionAfterCuts(uint32_t ms, const std::vector<Seam>& seams, uint32_t sampleRate);

struct SpotsAfterCuts {
    SpotSet spots;
    std::vector<uint32_t> removed;  // in the old clip's milliseconds
};
// Spots inside a deleted stretch, and one at its start, go; one at its end lands on the
// seam; those after it move back.
SpotsAfterCuts MoveSpots(const SpotSet& set, const std::vector<Seam>& seams, uint32_t sampleRate);

// The tightening of pauses: a spot inside a deleted stretch moves to the middle of what is
// left of the pause around it (`pauses`, in the old clip's milliseconds; a seam in none
// removes its spots as above). Where a spot already stands within `apartMs` of that middle
// (the distance at which the time line tells two spots apart), the moved one merges with it.
struct SpotMerge {
    uint32_t from = 0;  // the moved spot, in the old clip's milliseconds
    uint32_t into = 0;  // the spot it merged with, in the new clip's
};
struct SpotsIntoPauses {
    SpotSet spots;
    std::vector<uint32_t> removed;
    std::vector<SpotMerge> merged;
};
struct PauseSpan {
    uint32_t startMs = 0;
    uint32_t endMs = 0;
};
SpotsIntoPauses MoveSpotsIntoPauses(const SpotSet& set, const std::vector<Seam>& seams,
                                    const std::vector<PauseSpan>& pauses, uint32_t sampleRate, uint32_t apartMs);

// Spots that the placing rules would no longer place where they are (a shorter clip allows
// fewer, and the n-th must lie within n times 20 minutes).
std::vector<uint32_t> SpotsBreakingRules(const SpotSet& set, uint32_t clipLengthMs);

// The clip's levels after the cuts: each kept stretch moves back by the nearest whole 20 ms
// block, and the blocks around each seam (its carriers' silence and the sound on both sides,
// whose peaks the seam changed) become unknown, to be measured again from the new file.
levels::Codes LevelsAfterCuts(const levels::Codes& codes, const std::vector<Seam>& seams, uint32_t sampleRate,
                              uint32_t newLengthMs);

}  // namespace cuts
