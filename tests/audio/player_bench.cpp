// player_bench: timings of the clip player for scripts/bench.d/player.sh.
//   player_bench seek FILE START_MS     ms from Play to the first block queued, and from
//                                       Play's return (device open) to it (medians of 3)
//   player_bench decode FILE            CPU seconds to read and decode the whole clip
//   player_bench duration FILE          ms for Open + Prepare + GetDuration (median of 5)
#include "audio/playback/clip_player.h"
#include "audio/reading/frame_reader.h"
#include "audio/reading/mp3_decoder.h"
#include "audio/reading/pcm_accumulator.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

double Seconds(LONGLONG ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(ticks) / double(frequency.QuadPart);
}

LONGLONG Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

class NullWriter : public BlockWriter {
public:
    bool WriteBlock(const uint8_t*, uint32_t) override { return true; }
};

int Seek(const std::wstring& path, uint32_t startMs) {
    std::vector<double> ms, afterOpen;
    for (int run = 0; run < 3; ++run) {
        ClipPlayer player;
        if (!player.SetFile(path.c_str()) || !player.Open() || !player.Prepare()) return 1;
        player.SetRange(startMs, ClipPlayer::kToEnd);
        const LONGLONG start = Now();
        if (!player.Play()) return 1;
        const LONGLONG playing = Now();
        while (player.FirstBlockQueuedAt() == 0 && player.GetState() == ClipPlayer::kPlaying)
            Sleep(1);
        if (player.FirstBlockQueuedAt() == 0) return 1;
        ms.push_back(1000 * Seconds(player.FirstBlockQueuedAt() - start));
        afterOpen.push_back(1000 * Seconds(player.FirstBlockQueuedAt() - playing));
        player.Close();
    }
    std::printf("%.1f %.1f\n", Median(ms), Median(afterOpen));
    return 0;
}

int Decode(const std::wstring& path) {
    FrameReader reader;
    Mp3Decoder decoder;
    PcmAccumulator pcm;
    NullWriter writer;
    if (!reader.Open(path.c_str()) || !decoder.Setup(32768, false) ||
        !pcm.Allocate(16384, Mp3Decoder::StepBytes(false)))
        return 1;
    for (int result = reader.ReadFrame(); result >= FrameReader::kNoFrame; result = reader.ReadFrame())
        if (result == FrameReader::kFrameRead)
            decoder.DecodeFrame(reader.FrameData(), reader.FrameSize(), pcm, writer);
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto value = [](const FILETIME& t) {
        return (ULONGLONG(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7;
    };
    std::printf("%.3f\n", value(kernel) + value(user));
    return 0;
}

int Duration(const std::wstring& path) {
    std::vector<double> ms;
    for (int run = 0; run < 5; ++run) {
        ClipPlayer player;
        const LONGLONG start = Now();
        if (!player.SetFile(path.c_str()) || !player.Open() || !player.Prepare()) return 1;
        const uint32_t duration = player.GetDuration();
        ms.push_back(1000 * Seconds(Now() - start));
        if (duration == ClipPlayer::kNoDuration) return 1;
    }
    std::printf("%.2f\n", Median(ms));
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const std::wstring mode = argv[1];
    std::wstring path = argv[2];
    if (path[0] == L'/') path = L"Z:" + path;
    if (mode == L"seek" && argc == 4) return Seek(path, std::wcstoul(argv[3], nullptr, 10));
    if (mode == L"decode") return Decode(path);
    if (mode == L"duration") return Duration(path);
    return 2;
}
