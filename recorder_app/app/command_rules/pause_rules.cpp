#include "app/command_rules/pause_rules.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace pauses {

namespace {

constexpr uint32_t kMinPauseBlocks = (kMinPauseMs + levels::kBlockMs - 1) / levels::kBlockMs;
constexpr int kQuietCodes = static_cast<int>(kBelowLoudDb / levels::kDbPerCode);

uint32_t Blocks(const Scope& scope) {
    if (scope.codes == nullptr) return 0;
    return std::min<uint32_t>(static_cast<uint32_t>(scope.codes->size()), scope.limitMs / levels::kBlockMs);
}

bool Quiet(const Scope& scope, uint32_t block) {
    const uint8_t code = (*scope.codes)[block];
    return code != levels::kUnknown && scope.quietCode != levels::kUnknown && code >= scope.quietCode;
}

// Calls `take` with each pause whose quiet run reaches into [from, to), in order, each run
// whole even where it reaches beyond; stops when `take` returns false.
template <class Take>
void ForEachPause(const Scope& scope, uint32_t from, uint32_t to, Take take) {
    const uint32_t n = Blocks(scope);
    to = std::min(to, n);
    if (from >= to) return;
    while (from > 0 && Quiet(scope, from) && Quiet(scope, from - 1)) --from;
    for (uint32_t b = from; b < to;) {
        if (!Quiet(scope, b)) {
            ++b;
            continue;
        }
        uint32_t end = b;
        while (end < n && Quiet(scope, end)) ++end;
        const bool whole = !(scope.live && end == n);
        if (whole && end - b >= kMinPauseBlocks) {
            if (!take(Pause{b * levels::kBlockMs, end * levels::kBlockMs})) return;
        }
        b = end;
    }
}

}  // namespace

uint8_t QuietCode(const levels::Codes& codes) {
    std::vector<uint8_t> known;
    known.reserve(codes.size());
    for (uint8_t code : codes) {
        if (code != levels::kUnknown) known.push_back(code);
    }
    if (known.empty()) return levels::kUnknown;
    // Lower codes are louder: the loud level is the code a tenth of the blocks reach.
    const size_t rank = known.size() * (100 - kLoudPercentile) / 100;
    std::nth_element(known.begin(), known.begin() + static_cast<std::ptrdiff_t>(rank), known.end());
    const int loud = known[rank];
    if (loud >= levels::kSilent) return levels::kUnknown;  // nothing but digital silence
    return static_cast<uint8_t>(std::min(loud + kQuietCodes, static_cast<int>(levels::kSilent)));
}

bool SnapTarget(const Scope& scope, uint32_t cursorMs, const std::function<bool(uint32_t)>& allowed,
                uint32_t& target) {
    const uint32_t from = cursorMs > kSnapWithinMs ? (cursorMs - kSnapWithinMs) / levels::kBlockMs : 0;
    const uint32_t to = (cursorMs + kSnapWithinMs) / levels::kBlockMs + 1;
    std::vector<uint32_t> middles;
    ForEachPause(scope, from, to, [&](const Pause& pause) {
        const uint32_t middle = pause.Middle();
        const uint32_t distance = middle > cursorMs ? middle - cursorMs : cursorMs - middle;
        if (distance <= kSnapWithinMs) middles.push_back(middle);
        return true;
    });
    std::stable_sort(middles.begin(), middles.end(), [cursorMs](uint32_t a, uint32_t b) {
        return std::llabs(static_cast<long long>(a) - cursorMs) < std::llabs(static_cast<long long>(b) - cursorMs);
    });
    for (uint32_t middle : middles) {
        if (allowed(middle)) {
            target = middle;
            return true;
        }
    }
    return false;
}

bool PreviousPauseMiddle(const Scope& scope, uint32_t cursorMs, uint32_t& middle) {
    bool found = false;
    ForEachPause(scope, 0, cursorMs / levels::kBlockMs + 1, [&](const Pause& pause) {
        if (pause.Middle() + levels::kBlockMs >= cursorMs + 1) return false;
        middle = pause.Middle();
        found = true;
        return true;
    });
    return found;
}

bool NextPauseMiddle(const Scope& scope, uint32_t cursorMs, uint32_t& middle) {
    bool found = false;
    ForEachPause(scope, cursorMs / levels::kBlockMs, Blocks(scope), [&](const Pause& pause) {
        if (pause.Middle() <= cursorMs + levels::kBlockMs) return true;
        middle = pause.Middle();
        found = true;
        return false;
    });
    return found;
}

std::vector<Pause> PausesIn(const Scope& scope) {
    std::vector<Pause> found;
    ForEachPause(scope, 0, Blocks(scope), [&](const Pause& pause) {
        found.push_back(pause);
        return true;
    });
    return found;
}

}  // namespace pauses
