// The hung wave-output device. The blocks it holds are never freed: their owner has given
// them up to the device.
#include "fake_wave_out.h"

#include <atomic>

namespace hung_wave_out {
namespace {

const HWAVEOUT kDevice = reinterpret_cast<HWAVEOUT>(0x0D7E);
std::atomic<DWORD> g_waitedMs{0};
std::atomic<int> g_closeCalls{0};

UINT WINAPI NumDevs() { return 1; }
MMRESULT WINAPI Open(HWAVEOUT* device, UINT, const WAVEFORMATEX*, DWORD_PTR, DWORD_PTR, DWORD) {
    *device = kDevice;
    return MMSYSERR_NOERROR;
}
MMRESULT WINAPI Prepare(HWAVEOUT, WAVEHDR* header, UINT) {
    header->dwFlags |= WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}
MMRESULT WINAPI Unprepare(HWAVEOUT, WAVEHDR*, UINT) { return WAVERR_STILLPLAYING; }
MMRESULT WINAPI Write(HWAVEOUT, WAVEHDR*, UINT) { return MMSYSERR_NOERROR; }
MMRESULT WINAPI ResetDevice(HWAVEOUT) { return MMSYSERR_NOERROR; }
MMRESULT WINAPI Close(HWAVEOUT) {
    ++g_closeCalls;
    return WAVERR_STILLPLAYING;
}
void WINAPI Wait(DWORD ms) { g_waitedMs += ms; }

}  // namespace

const WaveOutApi& Api() {
    static const WaveOutApi api = {NumDevs, Open, Prepare, Unprepare, Write, ResetDevice, Close, Wait};
    return api;
}

void Reset() {
    g_waitedMs = 0;
    g_closeCalls = 0;
}

DWORD WaitedMs() { return g_waitedMs; }
int CloseCalls() { return g_closeCalls; }

}  // namespace hung_wave_out
