// The design both capture engines share: one recording device, two 100 ms buffers and
// their headers in one VirtualAlloc region, and a worker thread that receives the device's notifications
// (CALLBACK_THREAD), hands each filled block on and puts the buffer straight back.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdint>

#include "audio/capture/wave_in_api.h"

// Results of Start; Stop returns 0 or kCaptureStopFailed.
constexpr int kCaptureOk = 0;
constexpr int kCaptureDeviceFailed = -1;   // no worker thread, or waveInOpen failed
constexpr int kCaptureBuffersFailed = -2;  // buffers could not be set up, or capture did not start
constexpr int kCaptureAlreadyRunning = -3;
constexpr int kCaptureStopFailed = -1;
// A capturing device that hands no block back for this long has gone away.
constexpr DWORD kGoneSilentMs = 5000;

class CaptureEngine {
public:
    explicit CaptureEngine(const WaveInApi& api);
    virtual ~CaptureEngine();
    CaptureEngine(const CaptureEngine&) = delete;
    CaptureEngine& operator=(const CaptureEngine&) = delete;

    // Opens the device (a wave-input device id, or WAVE_MAPPER for the system's default)
    // with 16-bit PCM of the given shape and starts capturing. On any failure nothing is
    // left running: device closed, buffers freed, worker ended.
    int Start(WORD channels, DWORD sampleRate, UINT deviceId = WAVE_MAPPER);
    // Stops capturing once every captured sample (the partial blocks too) has been handed
    // on. Does nothing and returns 0 when not started. A device that keeps some of its
    // buffers past about ten seconds of resets, refuses a reset, or cannot be closed, is left
    // open with the buffers and the engine busy (a later Start returns -3); Stop returns -1
    // then. A device that has gone away (it refused a buffer or a reset as unplugged, or
    // handed none back for kGoneSilentMs, or through the whole wait of the stop) is given up
    // on instead: the worker is ended, the buffers are left to it, and the engine is free.
    int Stop();
    // First sample of the most recent non-empty block; stays readable after Stop.
    std::int16_t Level() const { return m_level.load(); }
    bool IsBusy() const { return m_busy.load(); }
    // The first error with which the device refused a buffer back while capturing, or 0:
    // it captures nothing more (an unplugged device answers MMSYSERR_NODRIVER).
    MMRESULT DeviceError() const { return m_deviceError.load(); }
    // Milliseconds since the device last handed a block back while capturing (0 when not
    // capturing, and 0 for a block handed back while the clock was being read). A device
    // whose source has gone may simply stop handing blocks back.
    DWORD SilentMs() const;

protected:
    // The device is open, no buffer is queued yet. A non-zero result aborts Start with it.
    virtual int OnDeviceOpened() { return 0; }
    // A block of captured bytes, on the worker thread, while the engine is busy.
    virtual void OnBlock(const BYTE* /*data*/, DWORD /*bytes*/) {}
    // Every buffer is back (at a Stop, or at a Start that failed after the device opened):
    // OnBlock will not be called again, even if closing the device then fails.
    virtual void OnStopped() {}
    // The worker still runs: false after ExitProcess has ended it, when stopping could
    // only wait for buffers that nobody will take back.
    bool WorkerAlive() const;

private:
    static DWORD WorkerBody(void* engine);
    void RunWorker();
    void OnBlockReturned(HWAVEIN device, WAVEHDR* header);
    bool StartWorker();
    void EndWorker();
    int QueueBuffers();
    bool WaitForBuffers(bool* gone);
    int StopDevice();
    int AbandonDevice();
    void AbortStart();

    const WaveInApi& m_api;
    HWAVEIN m_device = nullptr;
    WAVEFORMATEX m_format{};
    // Both in the region of the take's buffers, which a device given up on keeps: the next
    // take gets a region of its own, headers included, since such a device may still write
    // to the old ones.
    WAVEHDR* m_headers = nullptr;
    BYTE* m_memory = nullptr;
    int m_prepared = 0;  // headers prepared, in order
    int m_queued = 0;    // headers handed to the device
    HANDLE m_worker = nullptr;
    DWORD m_workerId = 0;
    HANDLE m_workerReady = nullptr;

    std::atomic<bool> m_running{false};
    std::atomic<std::uint8_t> m_returned{0};
    std::atomic<bool> m_started{false};
    std::atomic<bool> m_busy{false};
    std::atomic<std::int16_t> m_level{0};
    std::atomic<MMRESULT> m_deviceError{MMSYSERR_NOERROR};
    std::atomic<DWORD> m_lastBlockTick{0};
};
