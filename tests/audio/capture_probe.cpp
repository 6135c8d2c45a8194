// capture_probe: drives SoundRecorder and LevelListener on the real default recording
// device for the sound tests (tests/audio/capture_sound_test.sh).
//
//   capture_probe record OUT.mp3 MS    record MS milliseconds, then stop
//   capture_probe hold OUT.mp3 MS      record MS milliseconds without looking at the level
//   capture_probe hold-listener MS     run the level listener MS milliseconds, unobserved
//   capture_probe listen MS            run the level listener for MS milliseconds
//   capture_probe record-until-killed OUT.mp3
//   capture_probe kill OUT.mp3 MS      start "record-until-killed" as a child process and
//                                      end it with TerminateProcess MS after it started
//   capture_probe retry OUT.mp3 GO_FILE MS
//                                      start once (expected to fail), wait until GO_FILE
//                                      exists, then record MS milliseconds
//
// Lines on stdout: "start CODE" once Start returned, "level MS VALUE" every 20 ms while
// capturing (time since Start returned), "stop CODE", "recorded_ms MS" (Start's return to
// the Stop call) and "first_block_ms MS" (when the level sample first changed, that is when
// the first block arrived; -1 if it never did). "kill" prints "killed_after_ms MS": from
// the child's first block to TerminateProcess. Exit code 0 when every call succeeded.
// The sound server may begin to deliver some time after Start returned, so tests that
// compare durations play a tone and count from the first block.
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../support/thread_count.h"
#include "audio/capture/level_listener.h"
#include "audio/capture/sound_recorder.h"

namespace {

constexpr DWORD kLevelPeriodMs = 20;

void Line(const char* format, long a, long b = 0) {
    std::printf(format, a, b);
    std::fflush(stdout);
}

// Reports the level every kLevelPeriodMs until ms milliseconds have passed; returns when
// it first changed (ms since start), or -1.
template <class LevelFn>
long ReportLevels(DWORD start, DWORD ms, LevelFn level) {
    const long initial = level();
    long firstChange = -1;
    for (DWORD now = GetTickCount() - start; now < ms; now = GetTickCount() - start) {
        const long value = level();
        if (firstChange < 0 && value != initial) firstChange = static_cast<long>(now);
        Line("level %ld %ld\n", static_cast<long>(now), value);
        Sleep(kLevelPeriodMs);
    }
    return firstChange;
}

int Record(const std::wstring& path, DWORD ms) {
    const int started = SoundRecorder::Start(path.c_str(), 1, 44100, 96);
    const DWORD startTick = GetTickCount();
    Line("start %ld\n", started);
    if (started != 0) return 1;
    const long firstBlock =
        ReportLevels(startTick, ms, [] { return static_cast<long>(SoundRecorder::Level()); });
    const DWORD recorded = GetTickCount() - startTick;
    const int stopped = SoundRecorder::Stop();
    Line("stop %ld\n", stopped);
    Line("recorded_ms %ld\n", static_cast<long>(recorded));
    Line("first_block_ms %ld\n", firstBlock);
    return stopped == 0 ? 0 : 1;
}

// Nothing but the recording itself runs meanwhile (for measuring its cost).
int Hold(const std::wstring& path, DWORD ms) {
    const int started = SoundRecorder::Start(path.c_str(), 1, 44100, 96);
    Line("start %ld\n", started);
    if (started != 0) return 1;
    Sleep(ms);
    const int stopped = SoundRecorder::Stop();
    Line("stop %ld\n", stopped);
    return stopped == 0 ? 0 : 1;
}

int HoldListener(DWORD ms) {
    const int started = LevelListener::Start(1, 44100);
    Line("start %ld\n", started);
    if (started != 0) return 1;
    Sleep(ms);
    const int stopped = LevelListener::Stop();
    Line("stop %ld\n", stopped);
    return stopped == 0 ? 0 : 1;
}

int Listen(DWORD ms) {
    const int started = LevelListener::Start(1, 44100);
    Line("start %ld\n", started);
    if (started != 0) return 1;
    ReportLevels(GetTickCount(), ms, [] { return static_cast<long>(LevelListener::Level()); });
    const int stopped = LevelListener::Stop();
    Line("stop %ld\n", stopped);
    return stopped == 0 ? 0 : 1;
}

int RecordUntilKilled(const std::wstring& path) {
    const int started = SoundRecorder::Start(path.c_str(), 1, 44100, 96);
    Line("start %ld\n", started);
    if (started != 0) return 1;
    const std::int16_t initial = SoundRecorder::Level();
    while (SoundRecorder::Level() == initial) Sleep(5);
    Line("first_block %ld\n", 1);
    for (;;) Sleep(INFINITE);
}

// Reads the child's stdout until its first block arrived; false if it ends before.
bool WaitForFirstBlock(HANDLE pipe) {
    std::string text;
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        text.append(buffer, got);
        if (text.find("first_block") != std::string::npos) return true;
    }
    return false;
}

int Kill(const std::wstring& path, DWORD ms) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return 1;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" record-until-killed \"" + path + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION child{};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &child))
        return 1;
    CloseHandle(writeEnd);
    const bool started = WaitForFirstBlock(readEnd);
    const DWORD startTick = GetTickCount();
    if (started) Sleep(ms);
    const DWORD elapsed = GetTickCount() - startTick;
    TerminateProcess(child.hProcess, 9);
    WaitForSingleObject(child.hProcess, INFINITE);
    Line("killed_after_ms %ld\n", static_cast<long>(elapsed));
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);
    CloseHandle(readEnd);
    return started ? 0 : 1;
}

long HandleCount() {
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return static_cast<long>(count);
}

// A failed start must leave nothing behind, and a later one (once the cause is gone) works.
// The first attempt may set up the system's sound machinery for good; the repeated ones
// after it must not add a handle or a thread each (the sound system's own threads may come
// and go meanwhile, so the script allows a small difference, far below one per attempt).
int Retry(const std::wstring& path, const std::wstring& goFile, DWORD ms) {
    constexpr int kRepeats = 10;
    const int failed = SoundRecorder::Start(path.c_str(), 1, 44100, 96);
    Line("start %ld\n", failed);
    if (failed == 0) return SoundRecorder::Stop(), 1;
    const long handles = HandleCount();
    const int threads = ThreadCount();
    for (int i = 0; i < kRepeats; ++i)
        if (SoundRecorder::Start(path.c_str(), 1, 44100, 96) != failed) return 1;
    Line("leaked_handles %ld\nleaked_threads %ld\n", HandleCount() - handles,
         ThreadCount() - threads);
    Line("file_exists %ld\n", GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES);
    while (GetFileAttributesW(goFile.c_str()) == INVALID_FILE_ATTRIBUTES) Sleep(50);
    return Record(path, ms);
}

int Usage() {
    std::fprintf(stderr,
                 "usage: capture_probe record OUT.mp3 MS | hold OUT.mp3 MS | hold-listener MS | "
                 "listen MS | "
                 "record-until-killed OUT.mp3 | kill OUT.mp3 MS | retry OUT.mp3 GO_FILE MS\n");
    return 2;
}

}  // namespace

int main() {
    // Plain "\n" line ends, for the scripts that read the lines.
    _setmode(_fileno(stdout), _O_BINARY);
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 2;
    const std::vector<std::wstring> args(argv, argv + argc);
    LocalFree(argv);
    const auto ms = [&](size_t i) { return static_cast<DWORD>(std::wcstoul(args[i].c_str(), nullptr, 10)); };
    if (args.size() == 4 && args[1] == L"record") return Record(args[2], ms(3));
    if (args.size() == 4 && args[1] == L"hold") return Hold(args[2], ms(3));
    if (args.size() == 3 && args[1] == L"hold-listener") return HoldListener(ms(2));
    if (args.size() == 3 && args[1] == L"listen") return Listen(ms(2));
    if (args.size() == 3 && args[1] == L"record-until-killed") return RecordUntilKilled(args[2]);
    if (args.size() == 4 && args[1] == L"kill") return Kill(args[2], ms(3));
    if (args.size() == 5 && args[1] == L"retry") return Retry(args[2], args[3], ms(4));
    return Usage();
}
