#include "playback_sequence.h"

PlaybackSequence::Step PlaybackSequence::Begin(uint32_t position, const SpotSet& spots) {
    m_startPos = position;
    m_playingJingle = false;
    return ClipFrom(position, spots);
}

PlaybackSequence::Step PlaybackSequence::RangeEnded(const SpotSet& spots) {
    if (!m_hasNextSpot) return Step{};  // the clip itself has ended
    if (!m_playingJingle) {
        // The clip reached the spot; the cursor waits there while the jingle sounds.
        m_playingJingle = true;
        return Step{Step::kJingle, 0, kToEnd};
    }
    m_playingJingle = false;
    return ClipFrom(m_nextSpot, spots);
}

uint32_t PlaybackSequence::PositionAt(uint32_t elapsedMs) const {
    return m_playingJingle ? m_nextSpot : m_playStartPos + elapsedMs;
}

PlaybackSequence::Step PlaybackSequence::ClipFrom(uint32_t position, const SpotSet& spots) {
    m_playStartPos = position;
    m_hasNextSpot = spots::NextSpotAfter(spots, position, m_nextSpot);
    return Step{Step::kClip, position, m_hasNextSpot ? m_nextSpot : kToEnd};
}
