// How far a take that a fault ended got, and whether it is worth keeping. Pure logic: the
// caller measures the part once the recorder has stopped, so that the frames the encoder
// still held are counted.
#pragma once
#include <cstdint>

// A take continued from the cursor that captured less than this before a fault is left out:
// joining it would cut the earlier clip at the cursor for nothing worth keeping.
constexpr unsigned kShortestKeptTakeMs = 1000;

struct FaultedTake {
    unsigned reachedMs = 0;  // where the sound in the clip ends, which the time line shows
    bool leftOut = false;    // the clip it continued stays as it was
};

// `partBytes`: the size of the take's own file after the stop, or kUnknownPartSize. It is read
// at the recording's constant bit rate after `startMs`, where the take began; without it, the
// take ran `ranMs` from the clip's start, less `silentMs` that the device gave nothing.
constexpr uint64_t kUnknownPartSize = UINT64_MAX;
FaultedTake JudgeFaultedTake(uint64_t partBytes, unsigned startMs, unsigned ranMs, unsigned silentMs, bool continued);
