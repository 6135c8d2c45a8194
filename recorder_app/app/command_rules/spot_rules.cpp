#include "spot_rules.h"

namespace spots {

uint32_t HitTolerance(int pixelsPerSecond) {
    if (pixelsPerSecond <= 0) return 0;
    return 2 * (1000u / static_cast<uint32_t>(pixelsPerSecond));
}

bool SpotAt(const SpotSet& set, uint32_t position, uint32_t tolerance, uint32_t& spot) {
    for (uint32_t candidate : set) {
        // Unsigned on purpose: for a spot below the tolerance the first half wraps and fails,
        // and the second test takes over.
        const bool near = candidate - tolerance < position && position < candidate + tolerance;
        const bool nearStart = candidate < tolerance && position <= candidate;
        if (near || nearStart) {
            spot = candidate;
            return true;
        }
    }
    return false;
}

bool NextSpotAfter(const SpotSet& set, uint32_t position, uint32_t& spot) {
    const auto next = set.upper_bound(position);
    if (next == set.end()) return false;
    spot = *next;
    return true;
}

uint32_t MaxSpotsFor(uint32_t clipLengthMs) {
    return clipLengthMs / kClipMsPerSpot + (clipLengthMs % kClipMsPerSpot != 0 ? 1 : 0);
}

Placement CheckPlacement(const SpotSet& set, uint32_t position, uint32_t clipLengthMs) {
    Placement result;
    result.number = static_cast<uint32_t>(set.size()) + 1;
    const uint32_t latest = result.number * kSpacingMs;
    if (position > latest) {
        result.verdict = Placement::kTooLate;
        result.latestMinute = latest / kMinuteMs;
        return result;
    }
    result.maxSpots = MaxSpotsFor(clipLengthMs);
    if (result.number > result.maxSpots) {
        result.verdict = Placement::kTooMany;
        result.clipMinutes = clipLengthMs / kMinuteMs;
    }
    return result;
}

void DropSpotsAfter(SpotSet& set, uint32_t cutMs) {
    set.erase(set.upper_bound(cutMs), set.end());
}

std::string SideFileBytes(const SpotSet& set) {
    std::string bytes;
    bytes.reserve(set.size() * 4);
    for (uint32_t spot : set)
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<char>(spot >> shift));
    return bytes;
}

SpotSet ParseSideFile(const std::string& bytes) {
    SpotSet set;
    for (size_t at = 0; at + 4 <= bytes.size(); at += 4) {
        uint32_t value = 0;
        for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
        set.insert(value);
    }
    return set;
}

}  // namespace spots
