// commands_bench: timings of the main window's commands, for scripts/bench.d/commands.sh.
//
//   commands_bench join EARLIER PART JOINED CUT_MS
//       JoinClips as the Record command calls it; prints "join_ms MS" and "joined_bytes N".
//   commands_bench open CLIP ROUNDS
//       the real program opens CLIP (with a side file beside it) through its Open box
//       ROUNDS times; prints "open_ms MS" per round: from the box's end (the chosen path
//       handed back, polled every millisecond) until the Open command has returned. Its
//       last step repaints the time line at once, so the length is on screen by then.
//   commands_bench play CLIP ROUNDS
//       the real program plays CLIP (loud from its start) ROUNDS times; prints
//       "play_latency_ms MS" per round: from the click on Play to the first loud sample
//       at the sink's monitor, captured here in 10 ms blocks. A block arrives when its
//       last sample was taken, so the loud sample's time is the arrival less the samples
//       after it; the sound server's own capture latency stays in the figure. Also
//       "play_mode_switch_ms": from the click until the window is in the playback mode.
//   commands_bench cpu SECONDS ROUNDS
//       the real program with a tone sounding into the sink: first a take long enough for
//       the time line to scroll, then ROUNDS times SECONDS listening and SECONDS recording
//       (continuing that take). Prints "app FOLDER", the name of the program's own folder,
//       by which the caller finds its process, then "span listening" or "span recording"
//       where a span begins and "span end" where it ends; the caller reads the process's
//       CPU time there, from /proc.
//   commands_bench flush SECONDS
//       the recorder itself (no window) records SECONDS of a tone from the system's default
//       device into a file in the current folder, its flush thread flushing it as in the
//       program. The flush thread is named "qb-flush" (Wine names the Linux thread after
//       it). Just after a flush, near the end, prints "measure N" with the flushes so far
//       and records half a second more, so that the caller reads the thread's CPU time
//       then; at the end prints "flush_max_ms MS" (the longest flush, wall clock) and
//       "block_gap_max_ms MS": the longest time between two captured blocks being handed
//       back to the device, which the capture worker does right after it has written the
//       block; 100 ms while nothing holds the worker up.
// Exit code 0 when every round succeeded.
#include <windows.h>
#include <mmsystem.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#include "../../recorder_app/app/takes/clip_join.h"
#include "../../recorder_app/audio/capture/sound_recorder.h"
#include "../../recorder_app/res/resource.h"
#include "app_harness.h"
#include "tone_player.h"

using namespace e2e;

namespace {

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// WaitFor, polling every millisecond rather than every ten.
template <class Predicate>
bool WaitEveryMs(Predicate predicate, double timeoutMs) {
    for (const double start = Now(); !predicate(); Sleep(1))
        if (Now() - start > timeoutMs) return false;
    return true;
}

void Line(const char* name, double value) {
    std::printf("%s %.1f\n", name, value);
    std::fflush(stdout);
}

int Fail(const char* what) {
    std::fprintf(stderr, "commands_bench: %s\n", what);
    return 1;
}

int Join(const wchar_t* earlier, const wchar_t* part, const wchar_t* joined, unsigned cutMs) {
    JoinRequest request{earlier, static_cast<uint64_t>(cutMs) * 12, part, joined};
    std::wstring error;
    const double start = Now();
    const bool ok = JoinClips(request, error);
    const double elapsed = Now() - start;
    if (!ok) {
        std::fwprintf(stderr, L"join failed: %ls\n", error.c_str());
        return 1;
    }
    Line("join_ms", elapsed);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(joined, GetFileExInfoStandard, &data);
    std::printf("joined_bytes %llu\n", (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    return 0;
}

bool CommandReturned(const RecorderApp& app) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(app.MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 20000, &result) != 0;
}

// Opens the clip through the Open box; `after` runs as soon as the box is gone.
template <class After>
bool OpenClip(RecorderApp& app, const std::wstring& clip, bool askFirst, After after) {
    if (!app.WaitUntilIdle()) return false;
    app.ClickControl(IDC_OPEN);
    if (askFirst) {
        const MessageBoxInfo question = app.WaitForMessageBox();
        if (question.caption != L"Confirm action" || !app.WaitUntilIdle() || !app.AnswerMessageBox(question, IDOK))
            return false;
    }
    if (!app.ChooseFileInDialog(clip)) return false;
    return after();
}

int CountLines(const RecorderApp& app, const std::wstring& line) {
    int count = 0;
    for (const std::wstring& logged : app.LogLines()) count += logged == line;
    return count;
}

int Open(const std::wstring& clip, int rounds) {
    RecorderApp app;
    if (!app.Start()) return Fail("the program did not start");
    const std::wstring sideFileLine = L"Found adv-spots file " + clip + L".ads, loading it";
    for (int round = 0; round < rounds; ++round) {
        double elapsed = 0;
        const bool opened = OpenClip(app, clip, round > 0, [&] {
            const double start = Now();
            // The side file is read last, just before the time line is repainted with the
            // length and the spots; then the command returns and the sent message is answered.
            const bool read = WaitEveryMs([&] { return CountLines(app, sideFileLine) == round + 1; }, 20000);
            const bool returned = read && CommandReturned(app);
            elapsed = Now() - start;
            return returned;
        });
        if (!opened) return Fail("the Open box or the side file's log line did not come");
        if (CountLines(app, L"File selected: " + clip) != round + 1) return Fail("the clip was not opened");
        Line("open_ms", elapsed);
    }
    return 0;
}

// Captures the default recording device (the sink's monitor) and notes when the first
// sample louder than the threshold arrived after Arm().
class MonitorListener {
public:
    static constexpr int kRate = 44100, kBlock = 441, kBlocks = 32;
    static constexpr short kThreshold = 4000;

    bool Start() {
        m_event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, kRate, kRate * 2, 2, 16, 0};
        if (waveInOpen(&m_device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(m_event), 0, CALLBACK_EVENT) !=
            MMSYSERR_NOERROR)
            return false;
        m_samples.assign(kBlock * kBlocks, 0);
        for (int i = 0; i < kBlocks; ++i) {
            m_headers[i].lpData = reinterpret_cast<LPSTR>(&m_samples[i * kBlock]);
            m_headers[i].dwBufferLength = kBlock * 2;
            waveInPrepareHeader(m_device, &m_headers[i], sizeof m_headers[i]);
            waveInAddBuffer(m_device, &m_headers[i], sizeof m_headers[i]);
        }
        m_thread = CreateThread(nullptr, 0, &MonitorListener::Body, this, 0, nullptr);
        return waveInStart(m_device) == MMSYSERR_NOERROR;
    }
    ~MonitorListener() {
        m_quit = true;
        if (m_thread != nullptr) {
            SetEvent(m_event);
            WaitForSingleObject(m_thread, INFINITE);
            CloseHandle(m_thread);
        }
        if (m_device != nullptr) {
            waveInReset(m_device);
            for (WAVEHDR& header : m_headers) waveInUnprepareHeader(m_device, &header, sizeof header);
            waveInClose(m_device);
        }
        if (m_event != nullptr) CloseHandle(m_event);
    }
    // From now on, the first loud sample is noted.
    void Arm() {
        m_loudAt = -1;
        m_armed = true;
    }
    double LoudAt() const { return m_loudAt; }
    double LastLoudAt() const { return m_lastLoudAt; }

private:
    static DWORD WINAPI Body(void* self) {
        static_cast<MonitorListener*>(self)->Run();
        return 0;
    }
    void Run() {
        int next = 0;
        while (!m_quit) {
            WaitForSingleObject(m_event, 100);
            while (!m_quit && (m_headers[next].dwFlags & WHDR_DONE)) {
                const double arrived = Now();
                WAVEHDR& header = m_headers[next];
                const short* samples = reinterpret_cast<const short*>(header.lpData);
                const int count = static_cast<int>(header.dwBytesRecorded / 2);
                for (int i = 0; i < count; ++i) {
                    if (std::abs(samples[i]) < kThreshold) continue;
                    const double at = arrived - 1000.0 * (count - i) / kRate;
                    m_lastLoudAt = arrived;
                    if (m_armed && m_loudAt < 0) m_loudAt = at;
                    break;
                }
                waveInAddBuffer(m_device, &header, sizeof header);
                next = (next + 1) % kBlocks;
            }
        }
    }

    HWAVEIN m_device = nullptr;
    HANDLE m_event = nullptr;
    HANDLE m_thread = nullptr;
    WAVEHDR m_headers[kBlocks]{};
    std::vector<short> m_samples;
    std::atomic<bool> m_quit{false}, m_armed{false};
    std::atomic<double> m_loudAt{-1}, m_lastLoudAt{-1};
};

// The clip must outlast the rounds, or it ends by itself and the stop click plays it again.
int Play(const std::wstring& clip, int rounds) {
    MonitorListener monitor;
    if (!monitor.Start()) return Fail("cannot capture the monitor");
    RecorderApp app;
    if (!app.Start()) return Fail("the program did not start");
    if (!OpenClip(app, clip, false, [&] { return CommandReturned(app); })) return Fail("the clip was not opened");
    HWND record = GetDlgItem(app.MainWindow(), IDC_RECORD);
    for (int round = 0; round < rounds; ++round) {
        // Back in the idle mode and quiet for a while: the last round's sound has ended.
        if (!WaitFor([&] { return IsWindowEnabled(record) && Now() - monitor.LastLoudAt() > 300; }, 10000))
            return Fail("the monitor did not fall silent");
        if (!app.WaitUntilIdle()) return Fail("the program is busy");
        monitor.Arm();
        const double clicked = Now();
        app.ClickControl(IDC_PLAY);
        // The playback mode disables Record once the level listener has let go of the
        // sound card: the share of the wait before the player is asked to play.
        if (!WaitEveryMs([&] { return !IsWindowEnabled(record); }, 5000)) return Fail("no playback mode");
        const double switched = Now() - clicked;
        if (!WaitFor([&] { return monitor.LoudAt() >= 0; }, 5000)) return Fail("no sound at the monitor");
        Line("play_latency_ms", monitor.LoudAt() - clicked);
        Line("play_mode_switch_ms", switched);
        if (!app.WaitUntilIdle()) return Fail("the program is busy");
        app.ClickControl(IDC_PLAY);  // stop
        if (!WaitFor([&] { return CountLines(app, L"Stop playing clip") == round + 1; }, 10000))
            return Fail("playback did not stop");
    }
    return 0;
}

// The pointer is parked off the window, so that no hover or tooltip differs between spans.
void ParkPointer() {
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &move, sizeof move);
}

bool ClickRecord(RecorderApp& app, const wchar_t* modeLine) {
    const int before = CountLines(app, modeLine);
    if (!app.WaitUntilIdle()) return false;
    app.ClickControl(IDC_RECORD);
    const bool switched = WaitFor([&] { return CountLines(app, modeLine) == before + 1; }, 20000);
    ParkPointer();
    return switched;
}

// Announces a span of `seconds` in one mode, from 1 s after the switch, when the mode has
// settled; the caller reads the process's CPU time at the two lines.
void Span(const char* mode, int seconds) {
    Sleep(1000);
    std::printf("span %s\n", mode);
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(seconds) * 1000);
    std::printf("span end\n");
    std::fflush(stdout);
}

int Cpu(int seconds, int rounds) {
    constexpr int kWarmUpSeconds = 56;  // past one page of the time line, which then scrolls
    RecorderApp app;
    if (!app.Start()) return Fail("the program did not start");
    const std::wstring& folder = app.AppDir();
    std::printf("app %ls\n", folder.substr(folder.find_last_of(L'\\') + 1).c_str());
    std::fflush(stdout);
    TonePlayer tone(997.0, 0.5, kWarmUpSeconds + rounds * (2 * seconds + 6) + 10);
    if (!tone.IsPlaying()) return Fail("cannot play the tone");
    const wchar_t* recordingLine = L"Switching interface to the recording mode";
    const wchar_t* idleLine = L"Switching interface to the idle mode";
    if (!ClickRecord(app, recordingLine)) return Fail("no recording");
    Sleep(kWarmUpSeconds * 1000);
    if (!ClickRecord(app, idleLine)) return Fail("the recording did not stop");
    for (int round = 0; round < rounds; ++round) {
        Span("listening", seconds);
        if (!ClickRecord(app, recordingLine)) return Fail("no recording");
        Span("recording", seconds);
        if (!ClickRecord(app, idleLine)) return Fail("the recording did not stop");
    }
    return 0;
}

// What the flush bench measures, from the capture worker and the flush thread.
DWORD g_benchThread = 0;
std::atomic<double> g_lastBlock{0};
std::atomic<double> g_blockGapMax{0};
std::atomic<int> g_flushes{0};
std::atomic<double> g_flushMaxMs{0};
HANDLE g_flushed = nullptr;

void KeepMax(std::atomic<double>& max, double value) {
    for (double seen = max.load(); value > seen && !max.compare_exchange_weak(seen, value);) {
    }
}

// The capture worker hands each block back right after writing it; Start queues the
// first two from this program's own thread, before any block was captured.
MMRESULT WINAPI TimedAddBuffer(HWAVEIN device, WAVEHDR* header, UINT size) {
    if (GetCurrentThreadId() != g_benchThread) {
        const double now = Now();
        const double last = g_lastBlock.exchange(now);
        if (last != 0) KeepMax(g_blockGapMax, now - last);
    }
    return WinmmWaveIn().addBuffer(device, header, size);
}

BOOL WINAPI TimedFlush(HANDLE file) {
    if (g_flushes == 0) {
        using SetDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
        const auto name = reinterpret_cast<SetDescription>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
        if (name) name(GetCurrentThread(), L"qb-flush");
    }
    const double start = Now();
    const BOOL ok = FlushFileBuffers(file);
    KeepMax(g_flushMaxMs, Now() - start);
    ++g_flushes;
    SetEvent(g_flushed);
    return ok;
}

int Flush(int seconds) {
    g_benchThread = GetCurrentThreadId();
    g_flushed = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    static WaveInApi device = WinmmWaveIn();
    device.addBuffer = &TimedAddBuffer;
    static const FileWriteApi files{&WriteFile, &TimedFlush};
    // The encoder library is dist's, as the program finds it beside itself.
    SetDllDirectoryW(DistDir().c_str());
    wchar_t folder[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, folder);
    const std::wstring path = std::wstring(folder) + L"\\flush_bench.mp3";
    DeleteFileW(path.c_str());
    // Sound, as a take has: the sink's monitor records it.
    TonePlayer tone(997.0, 0.5, seconds + 10);
    if (!tone.IsPlaying()) return Fail("cannot play the tone");
    RecordingEngine recorder(device, files);
    const int started = recorder.Start(path.c_str(), 1, 44100, 96);
    if (started != kCaptureOk) {
        std::fprintf(stderr, "commands_bench: the recorder did not start (%d)\n", started);
        return 1;
    }
    Sleep(static_cast<DWORD>(seconds) * 1000);
    // Read just after a flush, with the next one a second away.
    WaitForSingleObject(g_flushed, 5000);
    std::printf("measure %d\n", g_flushes.load());
    std::fflush(stdout);
    Sleep(500);
    const RecorderFault fault = recorder.Fault();
    const int stopped = recorder.Stop();
    DeleteFileW(path.c_str());
    if (stopped != 0 || fault.kind != RecorderFault::kNone) return Fail("the recording failed");
    if (g_flushes == 0) return Fail("nothing was flushed");
    Line("flush_max_ms", g_flushMaxMs);
    Line("block_gap_max_ms", g_blockGapMax);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"join" && argc == 6) return Join(argv[2], argv[3], argv[4], static_cast<unsigned>(_wtoi(argv[5])));
    if (mode == L"open" && argc == 4) return Open(argv[2], _wtoi(argv[3]));
    if (mode == L"play" && argc == 4) return Play(argv[2], _wtoi(argv[3]));
    if (mode == L"cpu" && argc == 4) return Cpu(_wtoi(argv[2]), _wtoi(argv[3]));
    if (mode == L"flush" && argc == 3) return Flush(_wtoi(argv[2]));
    std::fprintf(stderr,
                 "usage: commands_bench join EARLIER PART JOINED CUT_MS | open CLIP ROUNDS | play CLIP ROUNDS"
                 " | cpu SECONDS ROUNDS | flush SECONDS\n");
    return 2;
}
