#include "audio/editing/seam_plan.h"

#include <algorithm>

namespace {

constexpr size_t kHeaderBytes = 4;
constexpr int kCrcBytes = 2;

}  // namespace

int MainDataBytes(const FrameMap& map, SourceWindow& source, uint32_t frame, int* reachBack) {
    const uint8_t* b = source.At(map.offsets[frame], kHeaderBytes + kCrcBytes + 2);
    FrameHeader header;
    if (!b || !ParseHeader(HeaderOf(b), true, header)) return -1;
    if (reachBack) {
        // main_data_begin opens the side information: 9 bits in MPEG-1, 8 in MPEG-2 and 2.5.
        const uint8_t* side = b + kHeaderBytes + (header.crcPresent ? kCrcBytes : 0);
        *reachBack = header.version == MpegVersion::Mpeg1 ? (side[0] << 1) | (side[1] >> 7) : side[0];
    }
    return static_cast<int>(map.sizes[frame]) - static_cast<int>(kHeaderBytes) - SideInfoLength(header);
}

namespace {

// The bytes before the sound data of frame `kept` that the frames from it up to `limit` reach
// back to, at least `passed` bytes before `limit`'s; then the earliest frame that holds them.
// Only the first few frames can reach that far back: each frame holds sound data of its own.
int ReachOf(const FrameMap& map, SourceWindow& source, uint32_t kept, uint32_t limit, int passed, PlannedCut& cut) {
    const int farthest = map.format.version == MpegVersion::Mpeg1 ? 511 : 255;
    int needed = 0;
    int between = 0;  // sound data of the frames from `kept` up to the one looked at
    for (uint32_t f = kept; f < limit && (between < farthest || between < passed); ++f) {
        int back = 0;
        const int own = MainDataBytes(map, source, f, &back);
        if (own < 0) return kPlanReadFailed;
        if (between < farthest) needed = std::max(needed, back - between);
        between += std::max(own, 0);
    }
    if (passed > between) needed = std::max(needed, passed - between);
    uint32_t frame = kept;
    for (int got = 0; got < needed && frame > map.FirstAudioFrame();) {
        --frame;
        const int own = MainDataBytes(map, source, frame, nullptr);
        if (own < 0) return kPlanReadFailed;
        got += std::max(own, 0);
    }
    cut.reach = frame;
    cut.needed = needed;
    return kPlanDone;
}

}  // namespace

bool DamageAllowed(const FrameGap& gap, const std::vector<PlannedCut>& cuts) {
    for (const PlannedCut& cut : cuts)
        if (gap.beforeFrame >= cut.first && gap.beforeFrame <= cut.end && gap.beforeFrame <= cut.reach) return true;
    return false;
}

std::vector<PlannedCut> MergeStretches(std::vector<FrameStretch> stretches, uint32_t firstAudio) {
    for (FrameStretch& s : stretches) s.first = std::max(s.first, firstAudio);
    stretches.erase(std::remove_if(stretches.begin(), stretches.end(),
                                   [](const FrameStretch& s) { return s.first >= s.end; }),
                    stretches.end());
    std::sort(stretches.begin(), stretches.end(),
              [](const FrameStretch& a, const FrameStretch& b) { return a.first < b.first; });
    std::vector<PlannedCut> cuts;
    for (const FrameStretch& s : stretches) {
        if (!cuts.empty() && s.first <= cuts.back().end) {
            cuts.back().end = std::max(cuts.back().end, s.end);
            continue;
        }
        PlannedCut cut;
        cut.first = s.first;
        cut.end = s.end;
        cuts.push_back(cut);
    }
    return cuts;
}

void ClampCuts(std::vector<PlannedCut>& cuts, uint32_t frames) {
    // The cuts are in the order of the clip: those that begin at or past its end come last.
    while (!cuts.empty() && cuts.back().first >= frames) cuts.pop_back();
    for (PlannedCut& cut : cuts) cut.end = std::min(cut.end, frames);
}

SeamExtent SeamExtentOf(const FrameMap& map, SourceWindow& source, uint32_t end, uint32_t limit, bool mapComplete) {
    const int farthest = map.format.version == MpegVersion::Mpeg1 ? 511 : 255;
    int between = 0;
    for (uint32_t f = end;; ++f) {
        if (between >= farthest) return SeamExtent::kAlone;
        if (f >= limit) return SeamExtent::kReachesNextCut;
        if (f >= map.Frames()) return mapComplete ? SeamExtent::kAlone : SeamExtent::kNotMappedYet;
        const int own = MainDataBytes(map, source, f, nullptr);
        if (own < 0) return SeamExtent::kReadFailed;
        between += std::max(own, 0);
    }
}

int PlanSeams(const FrameMap& map, SourceWindow& source, uint32_t frames, std::vector<PlannedCut>& cuts, size_t from,
              size_t to) {
    int passed = 0;  // bytes before the next cut's first frame that frames after it need
    for (size_t k = to; k-- > from;) {
        PlannedCut& cut = cuts[k];
        const uint32_t limit = k + 1 < cuts.size() ? cuts[k + 1].first : frames;
        cut.reach = cut.end;
        if (cut.end < frames || passed > 0) {
            const int result = ReachOf(map, source, cut.end, limit, passed, cut);
            if (result != kPlanDone) return result;
        }
        cut.carriers = std::max(cut.first, cut.reach);
        passed = cut.needed;
        for (uint32_t f = cut.first; f < cut.end && passed > 0; ++f) {
            const int own = MainDataBytes(map, source, f, nullptr);
            if (own < 0) return kPlanReadFailed;
            passed -= std::max(own, 0);
        }
        passed = std::max(passed, 0);
    }
    return kPlanDone;
}
