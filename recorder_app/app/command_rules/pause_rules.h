// Pauses in a clip's levels: a stretch of at least 300 ms that stays 25 dB or more below the
// clip's loud level, where an advertisement can go without cutting into a word. Blocks not
// measured yet break a pause, so nothing is found where the levels are not known.
// Pure logic, no Win32.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "audio/levels/level_series.h"

namespace pauses {

constexpr uint32_t kMinPauseMs = 300;
constexpr double kBelowLoudDb = 25.0;
constexpr uint32_t kSnapWithinMs = 2000;
constexpr int kLoudPercentile = 90;

struct Pause {
    uint32_t startMs = 0;  // first quiet block
    uint32_t endMs = 0;    // end of the last quiet block
    uint32_t Middle() const { return startMs + (endMs - startMs) / 2; }
};

// The code at or above which a block counts as quiet: the clip's loud level (the level that
// a tenth of its known blocks reach) 25 dB down; kUnknown when nothing loud is known.
uint8_t QuietCode(const levels::Codes& codes);

// Where pauses may be taken from: the blocks before `limitMs` (the clip's length when idle,
// the live position of a recording or playback). At a live position only pauses that end
// before it count, so that one still going on is not taken for shorter than it is.
struct Scope {
    const levels::Codes* codes = nullptr;
    uint8_t quietCode = levels::kUnknown;
    uint32_t limitMs = 0;
    bool live = false;
};

// The middle of the nearest pause within kSnapWithinMs of `cursorMs` that `allowed` accepts;
// false when there is none.
bool SnapTarget(const Scope& scope, uint32_t cursorMs, const std::function<bool(uint32_t)>& allowed,
                uint32_t& target);

// Middles of the pauses either side of the cursor, for walking them by ear: a cursor already
// at (or within a block of) a pause's middle goes on to the next one.
bool PreviousPauseMiddle(const Scope& scope, uint32_t cursorMs, uint32_t& middle);
bool NextPauseMiddle(const Scope& scope, uint32_t cursorMs, uint32_t& middle);

// Every pause of the scope, in order.
std::vector<Pause> PausesIn(const Scope& scope);

}  // namespace pauses
