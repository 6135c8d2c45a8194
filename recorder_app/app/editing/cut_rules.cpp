#include "app/editing/cut_rules.h"

#include <algorithm>
#include <cmath>

namespace cuts {

std::vector<Seam> SeamsOf(const std::vector<PlannedCut>& made, const FrameClock& clock) {
    std::vector<Seam> seams;
    uint64_t removed = 0;
    for (const PlannedCut& cut : made) {
        removed += uint64_t{cut.carriers - cut.first} * clock.samplesPerFrame;
        Seam seam;
        seam.startMs = static_cast<uint32_t>(std::llround(cut.first * clock.msPerFrame));
        seam.endMs = static_cast<uint32_t>(std::llround(cut.end * clock.msPerFrame));
        seam.removedSamplesThrough = removed;
        seams.push_back(seam);
    }
    return seams;
}

uint32_t RemovedMsThrough(const Seam& seam, uint32_t sampleRate) {
    if (sampleRate == 0) return 0;
    return static_cast<uint32_t>((seam.removedSamplesThrough * 1000 + sampleRate / 2) / sampleRate);
}

uint32_t PositionAfterCuts(uint32_t ms, const std::vector<Seam>& seams, uint32_t sampleRate) {
    uint32_t removedMs = 0;
    for (const Seam& seam : seams) {
        if (ms < seam.startMs) break;
        removedMs = RemovedMsThrough(seam, sampleRate);
        if (ms < seam.endMs) return seam.endMs >= removedMs ? seam.endMs - removedMs : 0;
    }
    return ms >= removedMs ? ms - removedMs : 0;
}

SpotsAfterCuts MoveSpots(const SpotSet& set, const std::vector<Seam>& seams, uint32_t sampleRate) {
    SpotsAfterCuts result;
    for (const uint32_t spot : set) {
        bool inside = false;
        for (const Seam& seam : seams) {
            if (spot < seam.startMs) break;
            if (spot < seam.endMs) inside = true;
        }
        if (inside) result.removed.push_back(spot);
        else result.spots.insert(PositionAfterCuts(spot, seams, sampleRate));
    }
    return result;
}

SpotsIntoPauses MoveSpotsIntoPauses(const SpotSet& set, const std::vector<Seam>& seams,
                                    const std::vector<PauseSpan>& pauses, uint32_t sampleRate, uint32_t apartMs) {
    SpotsIntoPauses result;
    std::vector<uint32_t> moving;  // old positions of the spots inside the stretches
    for (const uint32_t spot : set) {
        bool inside = false;
        for (const Seam& seam : seams) {
            if (spot < seam.startMs) break;
            if (spot < seam.endMs) inside = true;
        }
        if (inside) moving.push_back(spot);
        else result.spots.insert(PositionAfterCuts(spot, seams, sampleRate));
    }
    // The spots that stayed are placed first, so a moved one gives way to them.
    for (const uint32_t spot : moving) {
        const PauseSpan* around = nullptr;
        for (const PauseSpan& pause : pauses)
            if (pause.startMs <= spot && spot < pause.endMs) around = &pause;
        if (around == nullptr) {
            result.removed.push_back(spot);
            continue;
        }
        const uint32_t from = PositionAfterCuts(around->startMs, seams, sampleRate);
        const uint32_t to = PositionAfterCuts(around->endMs, seams, sampleRate);
        const uint32_t middle = from + (to - from) / 2;
        uint32_t near = middle;
        if (result.spots.count(middle) != 0 || spots::SpotAt(result.spots, middle, apartMs, near)) {
            result.merged.push_back(SpotMerge{spot, near});
            continue;
        }
        result.spots.insert(middle);
    }
    return result;
}

std::vector<uint32_t> SpotsBreakingRules(const SpotSet& set, uint32_t clipLengthMs) {
    std::vector<uint32_t> breaking;
    SpotSet placed;
    for (const uint32_t spot : set) {
        if (spots::CheckPlacement(placed, spot, clipLengthMs).verdict != spots::Placement::kAllowed)
            breaking.push_back(spot);
        placed.insert(spot);
    }
    return breaking;
}

levels::Codes LevelsAfterCuts(const levels::Codes& codes, const std::vector<Seam>& seams, uint32_t sampleRate,
                              uint32_t newLengthMs) {
    levels::Codes after(levels::BlocksFor(newLengthMs), levels::kUnknown);
    size_t seam = 0;
    uint32_t shiftBlocks = 0;
    for (size_t block = 0; block < codes.size(); ++block) {
        const uint32_t ms = static_cast<uint32_t>(block) * levels::kBlockMs;
        while (seam < seams.size() && ms >= seams[seam].endMs) {
            shiftBlocks = (RemovedMsThrough(seams[seam], sampleRate) + levels::kBlockMs / 2) / levels::kBlockMs;
            ++seam;
        }
        if (seam < seams.size() && ms >= seams[seam].startMs) continue;  // deleted
        if (block < shiftBlocks) continue;
        const size_t target = block - shiftBlocks;
        if (target < after.size()) after[target] = codes[block];
    }
    uint32_t removedBefore = 0;
    for (const Seam& s : seams) {
        const uint32_t from = s.startMs >= removedBefore ? s.startMs - removedBefore : 0;
        const uint32_t removed = RemovedMsThrough(s, sampleRate);
        const uint32_t to = s.endMs >= removed ? s.endMs - removed : 0;
        const size_t first = levels::BlockOfMs(from) > 0 ? levels::BlockOfMs(from) - 1 : 0;
        const size_t end = std::min<size_t>(after.size(), levels::BlockOfMs(to) + 2);
        for (size_t b = first; b < end; ++b) after[b] = levels::kUnknown;
        removedBefore = removed;
    }
    return after;
}

}  // namespace cuts
