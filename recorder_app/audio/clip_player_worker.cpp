// The playback worker: opens the output, reads frames up to the range start without decoding
// them, decodes the range into blocks for the device, and ends by draining or by discarding
// what is queued.
#include "audio/clip_player.h"

DWORD ClipPlayer::WorkerBody(void* player) {
    return static_cast<ClipPlayer*>(player)->RunWorker();
}

DWORD ClipPlayer::RunWorker() {
    // The device sends its notifications to this thread's message queue.
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);

    if (!m_output.Open(m_params)) {
        m_outputFailed = true;
        SetEvent(m_threadStarted);
        SetEvent(m_threadEnded);
        return 1;
    }
    SetEvent(m_threadStarted);
    m_params.startTime = timeGetTime();

    const bool stopped = PlayFrames();
    m_pcm.Flush(m_output);
    if (stopped)
        m_output.Reset();
    else
        m_output.Drain();
    m_pcm.Free();
    RewindClip();
    m_output.Close();
    m_state = stopped ? kFileOpen : kEnded;

    m_stopRequested = false;
    SetEvent(m_threadEnded);
    return 0;
}

bool ClipPlayer::PlayFrames() {
    for (;;) {
        m_output.HandleNotifications();
        const int result = m_reader.ReadFrame();
        // A read error ends the playback as the end of the file does.
        if (result == FrameReader::kEndOfFile || result == FrameReader::kReadFailed) return false;
        if (result == FrameReader::kFrameRead) ++m_params.frameCounter;
        if (m_stopRequested) return true;
        // Playing from a position reads every earlier frame but decodes none of them.
        if (m_params.frameCounter < m_params.startFrame) continue;
        if (m_params.frameCounter > m_params.endFrame) return false;
        if (result != FrameReader::kFrameRead) continue;
        if (!DecodeCurrentFrame()) return false;
    }
}

bool ClipPlayer::DecodeCurrentFrame() {
    // The reader keeps the first frame's format for the whole stream; a frame that claims
    // another one would make the decoder change its output format mid-playback.
    if (!m_reader.MatchesStreamFormat(m_reader.FrameData(), m_reader.FrameSize())) return true;
    // The first frame decoded after a skip takes its bit reservoir from the skipped frame
    // before it, which the reader still holds.
    if (!m_decoder.HasHistory() &&
        m_reader.MatchesStreamFormat(m_reader.PreviousFrameData(), m_reader.PreviousFrameSize()))
        m_decoder.Prime(m_reader.PreviousFrameData(), m_reader.PreviousFrameSize());
    return m_decoder.DecodeFrame(m_reader.FrameData(), m_reader.FrameSize(), m_pcm, m_output);
}
