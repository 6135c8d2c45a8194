// Which stretches the tightening of pauses deletes: from the middle of every pause longer
// than one length, as many whole frames of the clip as leave it at least another, so that
// each side keeps half of what is left. Only pauses measured whole count: a quiet run that
// touches blocks not measured yet may be longer than it looks, and nothing unknown is cut.
// Pure logic, no Win32.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "app/command_rules/pause_rules.h"
#include "app/editing/cut_rules.h"
#include "audio/levels/level_series.h"

namespace tighten {

struct Lengths {
    uint32_t longerThanMs = 0;
    uint32_t toMs = 0;
};

// One pause shortened: frames [firstFrame, endFrame) of the clip go, in the reader's count.
struct Shortening {
    pauses::Pause pause;  // as the levels show it
    uint32_t firstFrame = 0;
    uint32_t endFrame = 0;
    uint32_t startMs = 0;  // the frames' bounds, to the nearest millisecond
    uint32_t endMs = 0;
};

struct Plan {
    std::vector<Shortening> cuts;  // in the order of the clip
    // What the cuts save at least: each seam may keep up to clock.seamCarriers of its
    // frames as silent carriers, which are not counted as saved.
    uint32_t savedMs = 0;
    uint32_t unknownMs = 0;  // of the clip not measured yet, where no pause is shortened
};

// Nothing when the lengths break TightenLengthsAllowed or the clock is not known.
Plan PlanTightening(const levels::Codes& codes, uint32_t clipLengthMs, const Lengths& lengths,
                    const cuts::FrameClock& clock);

// The lengths as the dialog shows them: seconds with a point or a comma and at most three
// decimals ("1.2", "0,75", "2"); false for anything else.
bool ParseSeconds(const std::wstring& text, uint32_t& ms);
// "1.2", "0.75", "2": the fewest decimals that give `ms` exactly.
std::wstring SecondsText(uint32_t ms);

}  // namespace tighten
