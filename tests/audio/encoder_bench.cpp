// encoder_bench: encodes raw 16-bit mono 44100 Hz PCM with the encoder binding, in the
// recorder's 100 ms blocks, and prints the time it took (scripts/bench.d/encoder.sh).
//
//   encoder_bench IN.raw OUT.mp3              as fast as it can
//   encoder_bench IN.raw OUT.mp3 real-time    one block every 100 ms, as a recording gets them
//   encoder_bench IN.raw OUT.mp3 on-cue       as fast as it can, between two lines on stdin
//
// Prints "audio_seconds S", "encode_seconds S" (wall clock) and "encode_cpu_seconds S"
// (the process's CPU time, which a busy machine does not inflate); exit code 0 on success.
// In real time and on cue it first prints "start 0" once the stream is open, so that its CPU
// can be counted from outside, more exactly than the 10 ms ticks it can read itself; on cue
// it encodes at the first line on stdin, then prints "done 0" and exits at the second.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "audio/encoding/encoder_binding.h"
#include "audio/encoding/encoder_stream.h"

namespace {

constexpr DWORD kBlockBytes = 8820;
constexpr ULONGLONG kBlockMs = 100;

bool ReadAll(const wchar_t* path, std::vector<char>& data) {
    std::FILE* file = _wfopen(path, L"rb");
    if (!file) return false;
    char buffer[65536];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        data.insert(data.end(), buffer, buffer + got);
    std::fclose(file);
    return true;
}

double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto value = [](const FILETIME& t) {
        return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    return static_cast<double>(value(kernel) + value(user)) / 1e7;
}

void Announce(const char* line) {
    std::printf("%s\n", line);
    std::fflush(stdout);
}

void WaitForLine() {
    for (int c; (c = std::getchar()) != EOF && c != '\n';) {
    }
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const bool realTime = argc == 4 && std::wstring(argv[3]) == L"real-time";
    const bool onCue = argc == 4 && std::wstring(argv[3]) == L"on-cue";
    if (!argv || (argc != 3 && !realTime && !onCue)) {
        std::fprintf(stderr, "usage: encoder_bench IN.raw OUT.mp3 [real-time | on-cue]\n");
        return 2;
    }
    std::vector<char> pcm;
    if (!ReadAll(argv[1], pcm)) return 1;
    if (encoder_binding::Configure(44100, kEncoderModeMono, 96, kNoMaxBitrate) != 0) return 1;
    DeleteFileW(argv[2]);  // each round writes it anew; the stream never replaces a file
    LARGE_INTEGER start, end;
    const double cpuStart = CpuSeconds();
    QueryPerformanceCounter(&start);
    EncoderStream* stream = EncoderStream::Open(argv[2]);
    if (!stream) return 1;
    if (realTime || onCue) Announce("start 0");
    if (onCue) WaitForLine();
    // In real time each block is due 100 ms after the one before, however long encoding took.
    ULONGLONG due = GetTickCount64();
    for (size_t offset = 0; offset < pcm.size(); offset += kBlockBytes) {
        const DWORD bytes = static_cast<DWORD>(std::min<size_t>(kBlockBytes, pcm.size() - offset));
        if (EncoderStream::Write(stream, pcm.data() + offset, bytes) != 0) return 1;
        if (!realTime) continue;
        due += kBlockMs;
        const ULONGLONG now = GetTickCount64();
        if (due > now) Sleep(static_cast<DWORD>(due - now));
    }
    EncoderStream::Close(stream);
    QueryPerformanceCounter(&end);
    const double cpu = CpuSeconds() - cpuStart;
    if (onCue) {
        Announce("done 0");
        WaitForLine();
    }
    LocalFree(argv);
    std::printf("audio_seconds %.3f\nencode_seconds %.4f\nencode_cpu_seconds %.4f\n",
                pcm.size() / 88200.0, Seconds(start, end), cpu);
    return 0;
}
