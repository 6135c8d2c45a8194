// The wave-output device of the playback worker. Every wait for the device is bounded: a
// device that stops returning blocks is reset after a stall and let go of at close, so the
// worker always ends and the callers that wait for it return.
#include "audio/playback/wave_output.h"

#include <cstring>

namespace {

constexpr uint32_t kMaxOutputRate = 44100;
constexpr int kResetTries = 100;
constexpr DWORD kResetWaitMs = 10;

}  // namespace

bool WaveOutput::Open(const PlayerParams& params) {
    m_queued = 0;
    m_queueDepth = params.queueDepth ? params.queueDepth : 1;
    m_firstBlock = true;
    m_firstQueuedAt = 0;
    m_stalled = false;
    if (m_api.getNumDevs() == 0) return false;

    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = params.channels;
    format.wBitsPerSample = params.bitsPerSample;
    format.nSamplesPerSec =
        params.outputSampleRate < kMaxOutputRate ? params.outputSampleRate : kMaxOutputRate;
    format.nBlockAlign = static_cast<WORD>(params.bitsPerSample / 8 * params.channels);
    format.nAvgBytesPerSec = format.nBlockAlign * format.nSamplesPerSec;
    HWAVEOUT device = nullptr;
    if (m_api.open(&device, params.device, &format, GetCurrentThreadId(), 0,
                    CALLBACK_THREAD) != MMSYSERR_NOERROR)
        return false;
    m_device = device;
    m_api.reset(m_device);
    HandleNotifications();
    m_api.wait(kWaitMs);
    return true;
}

bool WaveOutput::WriteBlock(const uint8_t* pcm, uint32_t length) {
    if (!m_device || m_stalled) return false;
    if (m_firstBlock) {
        // The device's first block tends to come out broken; it is dropped, not played.
        m_firstBlock = false;
        return true;
    }
    if (!WaitForQueueBelow(m_queueDepth)) return false;

    HGLOBAL headerMemory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(WAVEHDR));
    HGLOBAL dataMemory = GlobalAlloc(GMEM_MOVEABLE, length ? length : 1);
    WAVEHDR* header = headerMemory ? static_cast<WAVEHDR*>(GlobalLock(headerMemory)) : nullptr;
    char* data = dataMemory ? static_cast<char*>(GlobalLock(dataMemory)) : nullptr;
    if (!header || !data) {
        if (header) GlobalUnlock(headerMemory);
        if (data) GlobalUnlock(dataMemory);
        if (headerMemory) GlobalFree(headerMemory);
        if (dataMemory) GlobalFree(dataMemory);
        return false;
    }
    std::memcpy(data, pcm, length);
    if (length) {
        int16_t first;
        std::memcpy(&first, pcm, sizeof first);
        m_level.store(first, std::memory_order_relaxed);
    }
    header->lpData = data;
    header->dwBufferLength = length;
    header->dwFlags = 0;
    header->dwUser = reinterpret_cast<DWORD_PTR>(dataMemory);
    if (m_api.prepareHeader(m_device, header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
        ReleaseBlock(header);
        return false;
    }
    if (m_api.write(m_device, header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
        m_api.unprepareHeader(m_device, header, sizeof(WAVEHDR));
        ReleaseBlock(header);
        return false;
    }
    ++m_queued;
    if (m_firstQueuedAt.load(std::memory_order_relaxed) == 0) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        m_firstQueuedAt.store(now.QuadPart, std::memory_order_relaxed);
    }
    return true;
}

void WaveOutput::ReleaseBlock(WAVEHDR* header) {
    HGLOBAL dataMemory = reinterpret_cast<HGLOBAL>(header->dwUser);
    HGLOBAL headerMemory = GlobalHandle(header);
    GlobalUnlock(dataMemory);
    GlobalFree(dataMemory);
    GlobalUnlock(headerMemory);
    GlobalFree(headerMemory);
}

void WaveOutput::HandleNotifications() {
    // Asking for messages costs a trip to the system; with nothing queued there is nothing to
    // return, and skipping to a position late in a long clip passes here once per frame.
    if (m_queued) PumpMessages();
}

void WaveOutput::PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == MM_WOM_DONE) {
            WAVEHDR* header = reinterpret_cast<WAVEHDR*>(msg.lParam);
            m_api.unprepareHeader(reinterpret_cast<HWAVEOUT>(msg.wParam), header,
                                  sizeof(WAVEHDR));
            ReleaseBlock(header);
            if (m_queued) --m_queued;
        } else {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

bool WaveOutput::WaitForQueueBelow(uint32_t limit) {
    uint32_t lastQueued = m_queued;
    DWORD idleMs = 0;
    HandleNotifications();
    while (m_queued >= limit) {
        m_api.wait(kWaitMs);
        HandleNotifications();
        if (m_queued != lastQueued) {
            lastQueued = m_queued;
            idleMs = 0;
        } else if ((idleMs += kWaitMs) > kStallMs) {
            // A device that stopped returning blocks would otherwise hold the worker forever;
            // waiting for it again at the end of the playback would only double the wait.
            Reset();
            m_stalled = true;
            return false;
        }
    }
    return true;
}

void WaveOutput::Drain() {
    if (m_device && !m_stalled) WaitForQueueBelow(1);
}

void WaveOutput::Reset() {
    if (!m_device) return;
    m_api.reset(m_device);
    // The returned blocks arrive as notifications; each one frees its memory.
    for (int tries = 0; m_queued && tries < kResetTries; ++tries) {
        PumpMessages();
        if (m_queued) m_api.wait(kResetWaitMs);
    }
    m_queued = 0;
}

void WaveOutput::Close() {
    if (!m_device) return;
    // Blocks given up on by Reset may still come back; each one frees its memory.
    for (DWORD waited = 0; m_api.close(m_device) == WAVERR_STILLPLAYING; waited += kWaitMs) {
        if (waited >= kCloseGiveUpMs) break;
        PumpMessages();
        m_api.wait(kWaitMs);
    }
    m_device = nullptr;
    m_queued = 0;
}
