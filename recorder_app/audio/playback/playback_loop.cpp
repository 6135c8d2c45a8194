#include "audio/playback/playback_loop.h"

bool PlaybackLoop::Run(FrameRange range, const std::atomic<bool>& stopRequested,
                       BlockWriter& output, Listener* listener) {
    for (;;) {
        if (listener) listener->BeforeFrame();
        const int result = m_reader.ReadFrame();
        // A read error ends the playback as the end of the file does.
        if (result == FrameReader::kEndOfFile || result == FrameReader::kReadFailed) return false;
        if (result == FrameReader::kFrameRead) ++range.frameCounter;
        if (stopRequested) return true;
        // Playing from a position reads every earlier frame but decodes none of them.
        if (range.frameCounter < range.startFrame) continue;
        if (range.frameCounter > range.endFrame) return false;
        if (result != FrameReader::kFrameRead) continue;
        if (!DecodeCurrentFrame(output)) return false;
    }
}

bool PlaybackLoop::DecodeCurrentFrame(BlockWriter& output) {
    // The reader keeps the first frame's format for the whole stream; a frame that claims
    // another one would make the decoder change its output format mid-playback.
    if (!m_reader.MatchesStreamFormat(m_reader.FrameData(), m_reader.FrameSize())) return true;
    // The first frame decoded after a skip takes its bit reservoir from the skipped frame
    // before it, which the reader still holds.
    if (!m_decoder.HasHistory() &&
        m_reader.MatchesStreamFormat(m_reader.PreviousFrameData(), m_reader.PreviousFrameSize()))
        m_decoder.Prime(m_reader.PreviousFrameData(), m_reader.PreviousFrameSize());
    return m_decoder.DecodeFrame(m_reader.FrameData(), m_reader.FrameSize(), m_pcm, output);
}
