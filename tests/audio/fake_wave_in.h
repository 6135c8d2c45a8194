// A scripted wave-input device for the capture engine tests. Like the real one it posts
// MM_WIM_OPEN / MM_WIM_DATA / MM_WIM_CLOSE to the callback thread; the test decides when a
// buffer comes back and how full it is.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "audio/capture/wave_in_api.h"

// One recording device of the scripted machine.
struct FakeCaptureDevice {
    std::wstring capsName;  // what the capabilities give (cut to 31 characters by the system)
    std::wstring endpointId;  // empty: the driver gives no endpoint id
    std::wstring fullName;    // empty: the endpoint's name is not known
    bool capsFail = false;
};

struct FakeWaveInScript {
    MMRESULT openResult = MMSYSERR_NOERROR;
    int failPrepareCall = 0;    // 1-based; 0: none
    int failAddBufferCall = 0;  // 1-based, counting the worker's re-queues too
    MMRESULT startResult = MMSYSERR_NOERROR;
    MMRESULT closeResult = MMSYSERR_NOERROR;
    MMRESULT resetResult = MMSYSERR_NOERROR;  // a failed reset hands nothing back
    // Unplugged or hung: reset hands nothing back, and the engine's waits for it are only
    // counted, not slept, since nothing can come back anyway.
    bool hung = false;
    // A driver that serves one capture client at a time: while the device is open, a second
    // open answers MMSYSERR_ALLOCATED.
    bool oneClient = false;
    std::vector<FakeCaptureDevice> devices;
    int preferred = -1;  // the system's default device among them; -1: no answer
};

class FakeWaveIn {
public:
    // Installs a fresh device with script; the engine must be built with Api().
    static FakeWaveIn& Reset(const FakeWaveInScript& script = FakeWaveInScript{});
    static const WaveInApi& Api();

    // The device fills the oldest queued buffer with bytes (samples counting up from
    // firstSample) and hands it back; waits until the worker has dealt with it (taken it
    // back or counted it). False if no buffer was queued or the worker did not react.
    bool Deliver(DWORD bytes, short firstSample);
    // Puts bytes into the oldest queued buffer without handing it back (a partial block).
    bool PartlyFill(DWORD bytes, short firstSample);
    // The device is unplugged: it hands back every queued buffer with what it holds, and
    // from then on answers MMSYSERR_NODRIVER to every call. Waits until the worker has
    // dealt with the buffers.
    bool Unplug();

    std::vector<std::string> Calls();
    size_t Queued();
    // Milliseconds the engine has waited for the device.
    DWORD WaitedMs();
    // From now on the engine's clock reads `now` until set again (until the first call, the
    // system's clock).
    void SetClock(DWORD now);
    WAVEFORMATEX format{};
    DWORD_PTR callback = 0;
    DWORD openFlags = 0;
    std::vector<WAVEHDR*> prepared;  // in the order of preparing

    // Device side, called through Api().
    MMRESULT Open(HWAVEIN* device, UINT id, const WAVEFORMATEX* fmt, DWORD_PTR cb, DWORD flags);
    MMRESULT Prepare(WAVEHDR* header);
    MMRESULT Unprepare(WAVEHDR* header);
    MMRESULT AddBuffer(WAVEHDR* header);
    MMRESULT Start();
    MMRESULT ResetDevice();
    MMRESULT Close();
    void Wait(DWORD ms);
    DWORD TickCount() const;
    UINT DeviceCount() const { return static_cast<UINT>(m_script.devices.size()); }
    MMRESULT DeviceCaps(UINT_PTR id, WAVEINCAPSW* caps);
    MMRESULT Message(UINT id, UINT message, DWORD_PTR param1, DWORD_PTR param2);
    bool EndpointName(const wchar_t* endpointId, wchar_t* name, UINT units);

private:
    void Log(const std::string& call);
    void Post(UINT message, WAVEHDR* header);
    bool WaitForWorker(int handledBefore);

    FakeWaveInScript m_script;
    std::mutex m_mutex;
    std::vector<std::string> m_calls;
    std::deque<WAVEHDR*> m_queue;
    int m_prepareCalls = 0;
    int m_addCalls = 0;
    int m_handled = 0;  // buffers taken back by the worker or refused to it
    DWORD m_waitedMs = 0;
    bool m_gone = false;
    std::atomic<bool> m_open{false};
    std::atomic<bool> m_clockSet{false};
    std::atomic<DWORD> m_clock{0};
};

// A HANDLE to the callback thread (the engine's worker), or null when it has ended.
bool ThreadIsRunning(DWORD threadId);
// True when the memory at address is no longer allocated.
bool MemoryIsFree(const void* address);
