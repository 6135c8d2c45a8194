// Plays an MP3 clip, or a range of it in milliseconds, through the wave-output device on a
// worker thread of its own, and answers the clip's duration. Driven from the user-interface
// thread, which polls the state and the level sample; the worker publishes both.
#pragma once
#include "audio/playback/player_params.h"
#include "audio/playback/wave_output.h"
#include "audio/reading/frame_reader.h"
#include "audio/reading/mp3_decoder.h"
#include "audio/reading/pcm_accumulator.h"

#include <windows.h>

#include <atomic>
#include <cstdint>

class ClipPlayer {
public:
    enum State { kClosed = 0, kFileOpen = 1, kReady = 2, kEnded = 3, kPlaying = 4 };
    static constexpr uint32_t kNoDuration = 0xFFFFFFFFu;
    // Range ends that mean "to the end of the clip".
    static constexpr uint32_t kToEnd = 0xFFFFFFFFu;

    ClipPlayer();
    // A player on another wave-output table (a scripted device).
    explicit ClipPlayer(const WaveOutApi& output);
    ClipPlayer(const ClipPlayer&) = delete;
    ClipPlayer& operator=(const ClipPlayer&) = delete;
    ~ClipPlayer();

    bool SetOwnerWindow(HWND window);
    int GetState() const { return m_state.load(); }
    uint32_t GetStartTime() const { return m_params.startTime; }
    int16_t Level() const { return m_output.Level(); }

    bool SetFile(const wchar_t* path);
    bool Open();
    bool Prepare();
    uint32_t GetDuration() const;
    void SetRange(uint32_t startMs, uint32_t endMs);
    bool Play();
    bool Stop();
    bool Close();
    bool PlayRange(const wchar_t* path, uint32_t startMs, uint32_t endMs);

    // For tests and benchmarks: the parameters (device id, block size) and the moment the
    // first block of the current or last playback was queued (QueryPerformanceCounter).
    PlayerParams& Params() { return m_params; }
    int64_t FirstBlockQueuedAt() const { return m_output.FirstQueuedAt(); }
    bool HalfRate() const { return m_halfRate; }

private:
    static DWORD WorkerBody(void* player);
    DWORD RunWorker();
    // Back to the first frame: file, frame counter and decoder history.
    void RewindClip();
    // Waits for the last worker's final acts and closes its handle.
    void ForgetWorker();

    std::atomic<int> m_state{kClosed};
    std::atomic<bool> m_stopRequested{false};
    HANDLE m_worker = nullptr;
    HANDLE m_threadEnded = nullptr;
    HANDLE m_threadStarted = nullptr;
    bool m_outputFailed = false;
    PlayerParams m_params;

    FrameReader m_reader;
    Mp3Decoder m_decoder;
    PcmAccumulator m_pcm;
    WaveOutput m_output;
    bool m_halfRate = false;
    double m_msPerFrame = 0;
    uint32_t m_duration = 0;
};
