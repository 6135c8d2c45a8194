// Where advertising spots may go, how a cursor position finds one, and the bytes of the side
// file that keeps them beside a saved clip. Pure logic, no Win32.
#pragma once
#include <cstdint>
#include <set>
#include <string>

using SpotSet = std::set<uint32_t>;

namespace spots {

constexpr uint32_t kSpacingMs = 1200000;      // the n-th spot lies within n times 20 minutes
constexpr uint32_t kClipMsPerSpot = 300000;   // one spot per started five minutes of clip
constexpr uint32_t kMinuteMs = 60000;

// Twice the time of one pixel of the time line, so that a click near a marker hits it.
uint32_t HitTolerance(int pixelsPerSecond);

// The first spot (ascending) at `position`; false when none is. A spot closer to 0 than
// the tolerance is found from 0 up to itself.
bool SpotAt(const SpotSet& set, uint32_t position, uint32_t tolerance, uint32_t& spot);

// The smallest spot strictly after `position`; false when there is none.
bool NextSpotAfter(const SpotSet& set, uint32_t position, uint32_t& spot);

// The most spots a clip of this length allows: its length in started five-minute pieces.
uint32_t MaxSpotsFor(uint32_t clipLengthMs);

// What placing one more spot at `position` would break.
struct Placement {
    enum Verdict { kAllowed, kTooLate, kTooMany } verdict = kAllowed;
    uint32_t number = 0;         // the spot's number n, counted from 1
    uint32_t latestMinute = 0;   // kTooLate: the n-th spot must lie within 0 to this minute
    uint32_t maxSpots = 0;       // kTooMany: what the clip allows
    uint32_t clipMinutes = 0;    // kTooMany: the clip's length, whole minutes
};
Placement CheckPlacement(const SpotSet& set, uint32_t position, uint32_t clipLengthMs);

// A recording that continues a clip at `cutMs` keeps only the spots up to and including it.
void DropSpotsAfter(SpotSet& set, uint32_t cutMs);

// Side file: the spots as consecutive 32-bit little-endian values, ascending, nothing else.
std::string SideFileBytes(const SpotSet& set);
// Every whole four-byte value of a side file; a trailing fragment of one to three bytes,
// which this program never writes, is ignored.
SpotSet ParseSideFile(const std::string& bytes);

}  // namespace spots
