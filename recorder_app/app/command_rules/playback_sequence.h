// The order in which Play sounds things: the clip from the cursor up to the next spot, the
// spot jingle, the clip again from that spot, and so on to the clip's end. Fed with "the
// range ended", it answers what to play next. Pure logic.
#pragma once
#include <cstdint>
#include "spot_rules.h"

// The jingle's file in the program's folder. Its name stays "adspot.mp3": the installer, the
// package script and uninstallers already installed remove it by that name.
constexpr wchar_t kJingleFileName[] = L"adspot.mp3";

class PlaybackSequence {
public:
    static constexpr uint32_t kToEnd = 0xFFFFFFFFu;

    struct Step {
        enum Kind { kClip, kJingle, kStop } kind = kStop;
        uint32_t start = 0;     // clip ranges: from here (ms)
        uint32_t end = kToEnd;  // up to here, or to the end of the clip
    };

    // Play pressed with the cursor at `position`: only spots strictly after it interrupt.
    Step Begin(uint32_t position, const SpotSet& spots);
    // The range that Begin or the last RangeEnded answered has been played (or failed).
    Step RangeEnded(const SpotSet& spots);
    // Where the cursor belongs `elapsedMs` into the current range: during the jingle, at
    // the spot it sounds for.
    uint32_t PositionAt(uint32_t elapsedMs) const;

    bool PlayingJingle() const { return m_playingJingle; }
    uint32_t RangeStart() const { return m_playStartPos; }
    uint32_t PressedAt() const { return m_startPos; }

private:
    Step ClipFrom(uint32_t position, const SpotSet& spots);

    uint32_t m_startPos = 0;      // where Play was pressed
    uint32_t m_playStartPos = 0;  // where the current run of the clip began
    bool m_hasNextSpot = false;
    uint32_t m_nextSpot = 0;      // the spot at which the current run ends
    bool m_playingJingle = false;
};
