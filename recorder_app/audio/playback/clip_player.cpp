// The player's operations on the user-interface thread; the worker is in clip_player_worker.cpp.
#include "audio/playback/clip_player.h"

#include "runtime/crash_guard.h"

namespace {

// The output device takes at most 44100 Hz; faster streams are synthesised at half rate.
constexpr uint32_t kHalfRateFrom = 48000;

}  // namespace

ClipPlayer::ClipPlayer() : ClipPlayer(WinmmWaveOut()) {}

ClipPlayer::ClipPlayer(const WaveOutApi& output) : m_output(output) {
    m_threadEnded = CreateEventW(nullptr, FALSE, FALSE, nullptr);
}

ClipPlayer::~ClipPlayer() {
    if (m_state != kClosed) Close();
    ForgetWorker();
    if (m_threadEnded) CloseHandle(m_threadEnded);
}

bool ClipPlayer::SetOwnerWindow(HWND window) {
    if (m_state == kPlaying) return false;
    m_params.ownerWindow = window;
    return true;
}

bool ClipPlayer::SetFile(const wchar_t* path) {
    if (m_state != kClosed || !path) return false;
    m_params.filePath = path;
    return true;
}

bool ClipPlayer::Open() {
    if (m_state != kClosed || m_params.filePath.empty()) return false;
    if (!m_reader.Open(m_params.filePath.c_str())) return false;
    m_params.frameCounter = 0;
    m_state = kFileOpen;
    return true;
}

bool ClipPlayer::Prepare() {
    if (m_state != kFileOpen && m_state != kEnded) return false;
    if (m_reader.ReadFrame() != FrameReader::kFrameRead) {
        RewindClip();
        return false;
    }
    // The stream's format, frame length and duration are fixed by its first frame.
    const FrameHeader header = m_reader.Header();
    m_msPerFrame = m_reader.MsPerFrame();
    m_duration = m_reader.Duration();
    RewindClip();

    uint32_t rate = static_cast<uint32_t>(SampleRateOf(header.samplingIndex));
    // Decided afresh for every clip, so that a 48000 Hz clip does not lower the quality of
    // the 44100 Hz clips played after it.
    const bool halfRate = rate >= kHalfRateFrom;
    if (halfRate) rate /= 2;
    if (!m_decoder.Setup(m_params.outputScale, halfRate)) return false;
    if (!m_pcm.Allocate(m_params.blockSize, Mp3Decoder::StepBytes(halfRate))) return false;
    m_halfRate = halfRate;
    m_params.outputSampleRate = rate;
    m_state = kReady;
    return true;
}

uint32_t ClipPlayer::GetDuration() const {
    if (m_state < kReady) return kNoDuration;
    return m_duration;
}

void ClipPlayer::SetRange(uint32_t startMs, uint32_t endMs) {
    m_params.startMs = startMs;
    m_params.endMs = (endMs < startMs && endMs != 0) ? kToEnd : endMs;
    if (m_state < kReady || m_msPerFrame <= 0) return;
    m_params.startFrame = static_cast<uint32_t>(startMs / m_msPerFrame);
    if (m_params.endMs == 0 || m_params.endMs == kToEnd) {
        m_params.endMs = kToEnd;
        m_params.endFrame = PlayerParams::kNoEnd;
    } else {
        m_params.endFrame = static_cast<uint32_t>(m_params.endMs / m_msPerFrame);
    }
}

bool ClipPlayer::Play() {
    if (m_state != kReady || !m_threadEnded) return false;
    if (m_params.endMs == 0) SetRange(m_params.startMs, 0);

    m_threadStarted = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!m_threadStarted) return false;
    // The last worker sets its state before its final acts; it must be gone before the
    // ended event is reused.
    ForgetWorker();
    ResetEvent(m_threadEnded);
    // A Stop that read the playing state just as the last worker ended on its own set the
    // request after that worker had cleared it; left standing, it would end this playback
    // after one frame.
    m_stopRequested = false;
    // Playing before the worker exists: a worker that finishes at once (a range beyond the
    // clip) must find the state it ends.
    m_state = kPlaying;
    m_outputFailed = false;
    // The caller may ask for the position as soon as Play returns, and even after a failed
    // Play; the worker takes the time again once the output is open, before it signals.
    m_params.startTime = timeGetTime();
    m_worker = CreateThread(nullptr, 0, GuardedThread<&ClipPlayer::WorkerBody>, this, 0, nullptr);
    if (m_worker) WaitForSingleObject(m_threadStarted, INFINITE);
    CloseHandle(m_threadStarted);
    m_threadStarted = nullptr;

    if (!m_worker || m_outputFailed) {
        if (m_worker) WaitForSingleObject(m_worker, INFINITE);
        m_state = kReady;
        return false;
    }
    SetThreadPriority(m_worker, m_params.threadPriority);
    return true;
}

bool ClipPlayer::Stop() {
    const int state = m_state;
    if (state == kEnded) {
        m_state = kFileOpen;
        return true;
    }
    if (state != kPlaying) return false;
    m_stopRequested = true;
    WaitForSingleObject(m_threadEnded, INFINITE);
    // The worker may have reached the end just before it saw the request.
    m_state = kFileOpen;
    return true;
}

bool ClipPlayer::Close() {
    if (m_state == kPlaying) Stop();
    m_reader.Close();
    m_state = kClosed;
    return true;
}

bool ClipPlayer::PlayRange(const wchar_t* path, uint32_t startMs, uint32_t endMs) {
    if (m_state != kClosed) Close();
    SetFile(path);
    Open();
    Prepare();
    if (m_state != kReady) return false;
    SetRange(startMs, endMs);
    // A device that cannot be opened is a failure, not a playback.
    return Play();
}

void ClipPlayer::ForgetWorker() {
    if (!m_worker) return;
    WaitForSingleObject(m_worker, INFINITE);
    CloseHandle(m_worker);
    m_worker = nullptr;
}

void ClipPlayer::RewindClip() {
    m_reader.Rewind();
    m_params.frameCounter = 0;
    m_decoder.Reset();
}
