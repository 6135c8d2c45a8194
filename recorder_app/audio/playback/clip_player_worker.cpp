// The playback worker: opens the output, plays the range (playback_loop.cpp), and ends by
// draining the device or by discarding what is queued.
#include "audio/playback/clip_player.h"
#include "audio/playback/playback_loop.h"

namespace {

// Device notifications are handled between frames.
class NotificationPump : public PlaybackLoop::Listener {
public:
    explicit NotificationPump(WaveOutput& output) : m_output(output) {}
    void BeforeFrame() override { m_output.HandleNotifications(); }

private:
    WaveOutput& m_output;
};

}  // namespace

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
    // Taken before the signal, so that Play returns with this playback's start time.
    m_params.startTime = timeGetTime();
    SetEvent(m_threadStarted);

    NotificationPump pump(m_output);
    PlaybackLoop loop(m_reader, m_decoder, m_pcm);
    const FrameRange range{m_params.frameCounter, m_params.startFrame, m_params.endFrame};
    const bool stopped = loop.Run(range, m_stopRequested, m_output, &pump);
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
