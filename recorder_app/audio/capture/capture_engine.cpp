// Start, stop and the worker of a capture engine. Two threads meet here: the caller's
// (Start, Stop, Level) and the worker's (device notifications). They share only the
// atomic flags and counters; the worker finishes with a buffer before it counts it as
// returned, so once all buffers are back the caller owns everything again.
#include "audio/capture/capture_engine.h"

#include <cstring>

#include "runtime/crash_guard.h"

namespace {

constexpr DWORD kPollMs = 100;
// The buffers usually come back at the first reset: a short poll keeps Stop, and so the
// start of playback after the level listener, from waiting a whole block for them.
constexpr DWORD kBufferPollMs = 10;
constexpr DWORD kBufferWaitMs = 10000;
constexpr DWORD kBuffersPerSecond = 10;  // 100 ms blocks
constexpr DWORD kHeadersBytes = 2 * sizeof(WAVEHDR);

// Failures of the inner stop.
constexpr int kUnprepareSecondFailed = -1;
constexpr int kUnprepareFirstFailed = -2;
constexpr int kCloseFailed = -3;
constexpr int kBuffersKept = -4;

// A device whose driver is gone (unplugged) holds nothing any more once its buffers are
// back: refusing to unprepare or close them then does not keep them.
bool LetGo(MMRESULT result) {
    return result == MMSYSERR_NOERROR || result == MMSYSERR_NODRIVER;
}

// The worker may store a block's tick after the caller read the clock, so `then` can be a
// little ahead of `now`; unsigned, that difference would be about 49 days of silence. The
// clock also wraps every 49.7 days, so only the signed difference is meaningful.
DWORD TicksSince(DWORD then, DWORD now) {
    const LONG since = static_cast<LONG>(now - then);
    return since > 0 ? static_cast<DWORD>(since) : 0;
}

}  // namespace

CaptureEngine::CaptureEngine(const WaveInApi& api) : m_api(api) {}

// A running engine is not stopped here: at process exit the device goes with the process.
// An engine whose blocks must all be kept stops itself in its own destructor.
CaptureEngine::~CaptureEngine() = default;

DWORD CaptureEngine::WorkerBody(void* engine) {
    static_cast<CaptureEngine*>(engine)->RunWorker();
    return 0;
}

void CaptureEngine::RunWorker() {
    MSG msg;
    // The device posts MM_WIM_OPEN from inside waveInOpen: the queue must exist first.
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    SetEvent(m_workerReady);
    while (GetMessageW(&msg, nullptr, 0, 0) == 1) {
        switch (msg.message) {
        case MM_WIM_OPEN:
            m_returned = 0;
            break;
        case MM_WIM_DATA:
            OnBlockReturned(reinterpret_cast<HWAVEIN>(msg.wParam),
                            reinterpret_cast<WAVEHDR*>(msg.lParam));
            break;
        case MM_WIM_CLOSE:
            return;  // the device is gone: nothing more will come
        default:
            break;
        }
    }
}

void CaptureEngine::OnBlockReturned(HWAVEIN device, WAVEHDR* header) {
    m_lastBlockTick = m_api.tickCount();
    if (header->dwBytesRecorded != 0) {
        if (m_busy) OnBlock(reinterpret_cast<const BYTE*>(header->lpData), header->dwBytesRecorded);
        std::int16_t first;
        std::memcpy(&first, header->lpData, sizeof first);
        m_level = first;
    }
    // A buffer the device refuses to take back counts as returned, or Stop would wait for
    // it forever.
    if (!m_running) {
        ++m_returned;
        return;
    }
    const MMRESULT added = m_api.addBuffer(device, header, sizeof(WAVEHDR));
    if (added == MMSYSERR_NOERROR) return;
    MMRESULT none = MMSYSERR_NOERROR;
    m_deviceError.compare_exchange_strong(none, added);
    ++m_returned;
}

bool CaptureEngine::StartWorker() {
    m_workerReady = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!m_workerReady) return false;
    m_worker = CreateThread(nullptr, 0, GuardedThread<&CaptureEngine::WorkerBody>, this, 0,
                            &m_workerId);
    if (m_worker) WaitForSingleObject(m_workerReady, INFINITE);
    CloseHandle(m_workerReady);
    m_workerReady = nullptr;
    return m_worker != nullptr;
}

// The worker leaves on MM_WIM_CLOSE; the quit message covers a device that never opened.
void CaptureEngine::EndWorker() {
    if (!m_worker) return;
    PostThreadMessageW(m_workerId, WM_QUIT, 0, 0);
    WaitForSingleObject(m_worker, INFINITE);
    CloseHandle(m_worker);
    m_worker = nullptr;
    m_workerId = 0;
}

int CaptureEngine::Start(WORD channels, DWORD sampleRate, UINT deviceId) {
    if (m_busy.exchange(true)) return kCaptureAlreadyRunning;
    if (!StartWorker()) {
        m_busy = false;
        return kCaptureDeviceFailed;
    }
    m_format = PcmFormat(channels, sampleRate);
    m_returned = 0;
    m_deviceError = MMSYSERR_NOERROR;
    m_prepared = 0;
    m_queued = 0;
    if (m_api.open(&m_device, deviceId, &m_format, m_workerId, 0, CALLBACK_THREAD) !=
        MMSYSERR_NOERROR) {
        m_device = nullptr;
        EndWorker();
        m_busy = false;
        return kCaptureDeviceFailed;
    }
    m_started = true;
    const int opened = OnDeviceOpened();
    if (opened != kCaptureOk) {
        AbortStart();
        return opened;
    }
    if (QueueBuffers() != kCaptureOk) {
        AbortStart();
        return kCaptureBuffersFailed;
    }
    return kCaptureOk;
}

// The headers come first in the region, zeroed by VirtualAlloc, the two buffers after them.
int CaptureEngine::QueueBuffers() {
    const DWORD length = m_format.nAvgBytesPerSec / kBuffersPerSecond;
    m_memory = static_cast<BYTE*>(VirtualAlloc(nullptr, kHeadersBytes + 2 * length,
                                               MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (!m_memory || length < sizeof(std::int16_t)) return kCaptureBuffersFailed;
    m_headers = reinterpret_cast<WAVEHDR*>(m_memory);
    for (int i = 0; i < 2; ++i) {
        m_headers[i].lpData = reinterpret_cast<LPSTR>(m_memory + kHeadersBytes + i * length);
        m_headers[i].dwBufferLength = length;
    }
    for (; m_prepared < 2; ++m_prepared)
        if (m_api.prepareHeader(m_device, &m_headers[m_prepared], sizeof(WAVEHDR)) !=
            MMSYSERR_NOERROR)
            return kCaptureBuffersFailed;
    for (; m_queued < 2; ++m_queued)
        if (m_api.addBuffer(m_device, &m_headers[m_queued], sizeof(WAVEHDR)) != MMSYSERR_NOERROR)
            return kCaptureBuffersFailed;
    m_lastBlockTick = m_api.tickCount();
    m_running = true;
    if (m_api.start(m_device) != MMSYSERR_NOERROR) return kCaptureBuffersFailed;
    return kCaptureOk;
}

// Waits until the device has handed back every queued buffer, resetting it before each
// poll: a buffer the worker re-queued just as running was cleared slipped past the first
// reset. An unplugged or hung device may never hand them back; after a failed reset, or
// about ten seconds, it is given up on rather than freezing the caller. *gone is then set
// when the device acts as one that went away: its driver is gone, or it handed nothing back
// through all ten seconds of resets.
bool CaptureEngine::WaitForBuffers(bool* gone) {
    const DWORD returnedBefore = m_returned;
    for (DWORD waited = 0; m_returned < m_queued; waited += kBufferPollMs) {
        if (waited >= kBufferWaitMs) {
            if (m_returned == returnedBefore) *gone = true;
            return m_returned >= m_queued;
        }
        const MMRESULT reset = m_api.reset(m_device);
        if (reset != MMSYSERR_NOERROR) {
            if (reset == MMSYSERR_NODRIVER) *gone = true;
            return m_returned >= m_queued;
        }
        m_api.wait(kBufferPollMs);
    }
    return true;
}

// The inner stop, also undoing a Start at whatever step it failed: 0, or -1 / -2 when
// unpreparing header 2 / 1 fails, -3 when closing fails, -4 when the buffers do not come
// back. On failure the device stays open, the buffers allocated and the engine busy, since
// the device may still own them. Once every buffer is back the worker hands nothing more
// on, so OnStopped runs then, whatever the device calls after it answer.
int CaptureEngine::StopDevice() {
    bool gone = DeviceError() != MMSYSERR_NOERROR || SilentMs() >= kGoneSilentMs;
    m_running = false;
    // A device unplugged just before the stop is found out only by the stop itself.
    if (m_queued > 0 && !WaitForBuffers(&gone)) return gone ? AbandonDevice() : kBuffersKept;
    m_queued = 0;
    OnStopped();
    for (; m_prepared > 0; --m_prepared)
        if (!LetGo(m_api.unprepareHeader(m_device, &m_headers[m_prepared - 1], sizeof(WAVEHDR))))
            return m_prepared == 2 ? kUnprepareSecondFailed : kUnprepareFirstFailed;
    if (!LetGo(m_api.close(m_device))) return kCloseFailed;
    m_device = nullptr;
    if (m_memory) VirtualFree(m_memory, 0, MEM_RELEASE);
    m_memory = nullptr;
    m_headers = nullptr;
    m_busy = false;
    return 0;
}

// A device that has gone away keeps buffers it will never hand back. Once the worker has
// ended nothing can hand a block on, so the recorder may finish its file; the buffers and
// their headers are left to the device (a small leak rather than memory a driver might still
// write to), and the engine is free for the next device, which gets new ones.
int CaptureEngine::AbandonDevice() {
    EndWorker();
    m_queued = 0;
    OnStopped();
    for (; m_prepared > 0; --m_prepared)
        m_api.unprepareHeader(m_device, &m_headers[m_prepared - 1], sizeof(WAVEHDR));
    m_api.close(m_device);
    m_device = nullptr;
    m_memory = nullptr;
    m_headers = nullptr;
    m_busy = false;
    return 0;
}

DWORD CaptureEngine::SilentMs() const {
    if (!m_running) return 0;
    const DWORD lastBlock = m_lastBlockTick.load();
    return TicksSince(lastBlock, m_api.tickCount());
}

// Undoes a Start that failed after the device opened. A device that cannot be let go of
// keeps the engine busy, as after a failed Stop, and keeps its worker to post to.
void CaptureEngine::AbortStart() {
    m_started = false;
    if (StopDevice() == 0) EndWorker();
}

bool CaptureEngine::WorkerAlive() const {
    return m_worker && WaitForSingleObject(m_worker, 0) == WAIT_TIMEOUT;
}

int CaptureEngine::Stop() {
    if (!m_started) return 0;
    m_started = false;
    if (StopDevice() != 0) return kCaptureStopFailed;
    EndWorker();
    // Gives the driver a moment before the next engine opens the device.
    Sleep(kPollMs);
    return 0;
}
