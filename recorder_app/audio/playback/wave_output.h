// The wave-output device as the playback worker uses it: blocks of PCM in movable global
// memory, at most a queue depth of them in the device, notifications as thread messages to
// the worker. Used only by the worker thread, apart from the level sample.
#pragma once
#include "audio/playback/player_params.h"
#include "audio/playback/wave_out_api.h"
#include "audio/reading/pcm_accumulator.h"

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdint>

class WaveOutput : public BlockWriter {
public:
    // Step of every wait for the device.
    static constexpr DWORD kWaitMs = 77;
    // A device that returns no block for this long is reset rather than waited for.
    static constexpr DWORD kStallMs = 10000;
    // A device that still answers still-playing after this long at close is let go of.
    static constexpr DWORD kCloseGiveUpMs = 2000;

    explicit WaveOutput(const WaveOutApi& api = WinmmWaveOut()) : m_api(api) {}
    WaveOutput(const WaveOutput&) = delete;
    WaveOutput& operator=(const WaveOutput&) = delete;
    ~WaveOutput() override { Close(); }

    // Opens the device with notifications to the calling thread, which needs a message queue.
    bool Open(const PlayerParams& params);
    // The first block after each open is dropped; every later one is queued once there is
    // room. Fails once the device has stalled: it is given up on until the next open.
    bool WriteBlock(const uint8_t* pcm, uint32_t length) override;
    void HandleNotifications();
    // Waits until the device has played every queued block (not after a stall).
    void Drain();
    // Returns all queued blocks unplayed.
    void Reset();
    // Closes the device, or drops the handle of one that keeps its blocks: their memory
    // is left to it rather than freed under it.
    void Close();

    int16_t Level() const { return m_level.load(std::memory_order_relaxed); }
    // QueryPerformanceCounter value when the first block after the last open was queued, or 0.
    int64_t FirstQueuedAt() const { return m_firstQueuedAt.load(std::memory_order_relaxed); }

private:
    // Handles notifications until fewer than `limit` blocks are queued.
    bool WaitForQueueBelow(uint32_t limit);
    void ReleaseBlock(WAVEHDR* header);
    // Takes every pending thread message: returned blocks are freed, others dispatched.
    void PumpMessages();

    const WaveOutApi& m_api;
    HWAVEOUT m_device = nullptr;
    bool m_stalled = false;
    uint32_t m_queued = 0;
    uint32_t m_queueDepth = 8;
    bool m_firstBlock = true;
    std::atomic<int16_t> m_level{0};
    std::atomic<int64_t> m_firstQueuedAt{0};
};
