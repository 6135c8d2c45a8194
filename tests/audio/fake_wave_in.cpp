// The scripted wave-input device.
#include "fake_wave_in.h"

#include <mmddk.h>

namespace {

FakeWaveIn* g_device = nullptr;
const HWAVEIN kDevice = reinterpret_cast<HWAVEIN>(0x3A7E);
constexpr DWORD kWorkerWaitMs = 10000;

MMRESULT WINAPI FakeOpen(HWAVEIN* device, UINT id, const WAVEFORMATEX* format, DWORD_PTR callback,
                         DWORD_PTR, DWORD flags) {
    return g_device->Open(device, id, format, callback, flags);
}
MMRESULT WINAPI FakePrepare(HWAVEIN, WAVEHDR* header, UINT) { return g_device->Prepare(header); }
MMRESULT WINAPI FakeUnprepare(HWAVEIN, WAVEHDR* header, UINT) { return g_device->Unprepare(header); }
MMRESULT WINAPI FakeAddBuffer(HWAVEIN, WAVEHDR* header, UINT) { return g_device->AddBuffer(header); }
MMRESULT WINAPI FakeStart(HWAVEIN) { return g_device->Start(); }
MMRESULT WINAPI FakeReset(HWAVEIN) { return g_device->ResetDevice(); }
MMRESULT WINAPI FakeClose(HWAVEIN) { return g_device->Close(); }
void WINAPI FakeWait(DWORD ms) { g_device->Wait(ms); }
DWORD WINAPI FakeTickCount() { return g_device->TickCount(); }
UINT WINAPI FakeDeviceCount() { return g_device->DeviceCount(); }
MMRESULT WINAPI FakeDeviceCaps(UINT_PTR id, WAVEINCAPSW* caps, UINT) { return g_device->DeviceCaps(id, caps); }
MMRESULT WINAPI FakeMessage(HWAVEIN device, UINT message, DWORD_PTR param1, DWORD_PTR param2) {
    return g_device->Message(static_cast<UINT>(reinterpret_cast<UINT_PTR>(device)), message, param1, param2);
}
bool WINAPI FakeEndpointName(const wchar_t* endpointId, wchar_t* name, UINT units) {
    return g_device->EndpointName(endpointId, name, units);
}

void Fill(WAVEHDR* header, DWORD bytes, short firstSample) {
    short* samples = reinterpret_cast<short*>(header->lpData);
    for (DWORD i = 0; i < bytes / 2; ++i) samples[i] = static_cast<short>(firstSample + i);
    header->dwBytesRecorded = bytes;
}

}  // namespace

FakeWaveIn& FakeWaveIn::Reset(const FakeWaveInScript& script) {
    delete g_device;
    g_device = new FakeWaveIn;
    g_device->m_script = script;
    return *g_device;
}

const WaveInApi& FakeWaveIn::Api() {
    static const WaveInApi api = {FakeOpen,      FakePrepare,     FakeUnprepare,  FakeAddBuffer,
                                  FakeStart,     FakeReset,       FakeClose,      FakeWait,
                                  FakeTickCount, FakeDeviceCount, FakeDeviceCaps, FakeMessage,
                                  FakeEndpointName};
    return api;
}

void FakeWaveIn::Log(const std::string& call) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.push_back(call);
}

std::vector<std::string> FakeWaveIn::Calls() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
}

size_t FakeWaveIn::Queued() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_queue.size();
}

DWORD FakeWaveIn::WaitedMs() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_waitedMs;
}

void FakeWaveIn::Wait(DWORD ms) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_waitedMs += ms;
    }
    if (!m_script.hung) Sleep(ms);
}

void FakeWaveIn::SetClock(DWORD now) {
    m_clock = now;
    m_clockSet = true;
}

DWORD FakeWaveIn::TickCount() const { return m_clockSet ? m_clock.load() : GetTickCount(); }

void FakeWaveIn::Post(UINT message, WAVEHDR* header) {
    PostThreadMessageW(static_cast<DWORD>(callback), message, reinterpret_cast<WPARAM>(kDevice),
                       reinterpret_cast<LPARAM>(header));
}

MMRESULT FakeWaveIn::Open(HWAVEIN* device, UINT id, const WAVEFORMATEX* fmt, DWORD_PTR cb,
                          DWORD flags) {
    Log(id == WAVE_MAPPER ? "open" : "open other device");
    // Refused before anything of the client that holds the device is replaced.
    if (m_script.oneClient && m_open) return MMSYSERR_ALLOCATED;
    format = *fmt;
    callback = cb;
    openFlags = flags;
    if (m_script.openResult != MMSYSERR_NOERROR) return m_script.openResult;
    m_open = true;
    *device = kDevice;
    Post(MM_WIM_OPEN, nullptr);
    return MMSYSERR_NOERROR;
}

MMRESULT FakeWaveIn::Prepare(WAVEHDR* header) {
    Log("prepare");
    if (++m_prepareCalls == m_script.failPrepareCall) return MMSYSERR_NOMEM;
    header->dwFlags |= WHDR_PREPARED;
    prepared.push_back(header);
    return MMSYSERR_NOERROR;
}

MMRESULT FakeWaveIn::Unprepare(WAVEHDR* header) {
    Log(header == prepared.at(0) ? "unprepare 1" : "unprepare 2");
    if (m_gone) return MMSYSERR_NODRIVER;
    header->dwFlags &= ~WHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT FakeWaveIn::AddBuffer(WAVEHDR* header) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.push_back("add");
    const bool fromWorker = GetCurrentThreadId() == callback;
    if (fromWorker) ++m_handled;
    if (m_gone) return MMSYSERR_NODRIVER;
    if (++m_addCalls == m_script.failAddBufferCall) return MMSYSERR_NOMEM;
    header->dwBytesRecorded = 0;
    m_queue.push_back(header);
    return MMSYSERR_NOERROR;
}

MMRESULT FakeWaveIn::Start() {
    Log("start");
    return m_script.startResult;
}

// Hands back every queued buffer, partly filled ones with what they hold.
MMRESULT FakeWaveIn::ResetDevice() {
    std::deque<WAVEHDR*> back;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_calls.push_back("reset");
        if (m_gone) return MMSYSERR_NODRIVER;
        if (m_script.hung || m_script.resetResult != MMSYSERR_NOERROR) return m_script.resetResult;
        back.swap(m_queue);
    }
    for (WAVEHDR* header : back) Post(MM_WIM_DATA, header);
    return MMSYSERR_NOERROR;
}

MMRESULT FakeWaveIn::Close() {
    Log("close");
    if (m_gone) return MMSYSERR_NODRIVER;
    if (m_script.closeResult != MMSYSERR_NOERROR) return m_script.closeResult;
    m_open = false;
    Post(MM_WIM_CLOSE, nullptr);
    return MMSYSERR_NOERROR;
}

MMRESULT FakeWaveIn::DeviceCaps(UINT_PTR id, WAVEINCAPSW* caps) {
    if (id >= m_script.devices.size() || m_script.devices[id].capsFail) return MMSYSERR_BADDEVICEID;
    *caps = WAVEINCAPSW{};
    lstrcpynW(caps->szPname, m_script.devices[id].capsName.c_str(), MAXPNAMELEN);
    return MMSYSERR_NOERROR;
}

// The driver queries the device list is named by: the endpoint id and the preferred device.
MMRESULT FakeWaveIn::Message(UINT id, UINT message, DWORD_PTR param1, DWORD_PTR param2) {
    if (message == DRVM_MAPPER_PREFERRED_GET && id == WAVE_MAPPER) {
        if (m_script.preferred < 0) return MMSYSERR_NOTSUPPORTED;
        *reinterpret_cast<DWORD*>(param1) = static_cast<DWORD>(m_script.preferred);
        *reinterpret_cast<DWORD*>(param2) = 0;
        return MMSYSERR_NOERROR;
    }
    if (id >= m_script.devices.size() || m_script.devices[id].endpointId.empty()) return MMSYSERR_NOTSUPPORTED;
    const std::wstring& endpoint = m_script.devices[id].endpointId;
    const ULONG bytes = static_cast<ULONG>((endpoint.size() + 1) * sizeof(wchar_t));
    if (message == DRV_QUERYFUNCTIONINSTANCEIDSIZE) {
        *reinterpret_cast<ULONG*>(param1) = bytes;
        return MMSYSERR_NOERROR;
    }
    if (message == DRV_QUERYFUNCTIONINSTANCEID) {
        if (param2 < bytes) return MMSYSERR_INVALPARAM;
        lstrcpyW(reinterpret_cast<wchar_t*>(param1), endpoint.c_str());
        return MMSYSERR_NOERROR;
    }
    return MMSYSERR_NOTSUPPORTED;
}

bool FakeWaveIn::EndpointName(const wchar_t* endpointId, wchar_t* name, UINT units) {
    for (const FakeCaptureDevice& device : m_script.devices) {
        if (device.endpointId == endpointId && !device.fullName.empty()) {
            lstrcpynW(name, device.fullName.c_str(), static_cast<int>(units));
            return true;
        }
    }
    return false;
}

bool FakeWaveIn::PartlyFill(DWORD bytes, short firstSample) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_queue.empty()) return false;
    Fill(m_queue.front(), bytes, firstSample);
    return true;
}

bool FakeWaveIn::Unplug() {
    std::deque<WAVEHDR*> back;
    int handledBefore = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_gone = true;
        back.swap(m_queue);
        handledBefore = m_handled;
    }
    for (WAVEHDR* header : back) Post(MM_WIM_DATA, header);
    const DWORD start = GetTickCount();
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_handled >= handledBefore + static_cast<int>(back.size())) return true;
        }
        if (GetTickCount() - start > kWorkerWaitMs) return false;
        Sleep(1);
    }
}

bool FakeWaveIn::Deliver(DWORD bytes, short firstSample) {
    WAVEHDR* header = nullptr;
    int handledBefore = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_queue.empty()) return false;
        header = m_queue.front();
        m_queue.pop_front();
        handledBefore = m_handled;
    }
    Fill(header, bytes, firstSample);
    Post(MM_WIM_DATA, header);
    return WaitForWorker(handledBefore);
}

// The worker reacts to a running engine's block by re-queueing it.
bool FakeWaveIn::WaitForWorker(int handledBefore) {
    const DWORD start = GetTickCount();
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_handled > handledBefore) return true;
        }
        if (GetTickCount() - start > kWorkerWaitMs) return false;
        Sleep(1);
    }
}

bool ThreadIsRunning(DWORD threadId) {
    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, threadId);
    if (!thread) return false;
    const bool running = WaitForSingleObject(thread, 0) == WAIT_TIMEOUT;
    CloseHandle(thread);
    return running;
}

bool MemoryIsFree(const void* address) {
    MEMORY_BASIC_INFORMATION info{};
    return VirtualQuery(address, &info, sizeof info) == sizeof info && info.State == MEM_FREE;
}
