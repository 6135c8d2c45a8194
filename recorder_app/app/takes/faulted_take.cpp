#include "faulted_take.h"
#include <algorithm>
#include "app/command_rules/recording_clock.h"

FaultedTake JudgeFaultedTake(uint64_t partBytes, unsigned startMs, unsigned ranMs, unsigned silentMs, bool continued) {
    FaultedTake take;
    if (partBytes != kUnknownPartSize && partBytes / recording::kBytesPerMs <= UINT32_MAX - startMs)
        take.reachedMs = startMs + static_cast<unsigned>(partBytes / recording::kBytesPerMs);
    else
        take.reachedMs = ranMs - std::min(ranMs, silentMs);
    take.leftOut = continued && take.reachedMs - std::min(take.reachedMs, startMs) < kShortestKeptTakeMs;
    return take;
}
