// CPU seconds of a level scan of a whole clip (scripts/bench envelope):
//   level_bench CLIP
// Process time around the scan, so that Wine's start is left out, as the native tool's
// figure beside it leaves out almost nothing but its own start.
#include <windows.h>

#include <cstdio>

#include "audio/levels/level_scan.h"
#include "audio/reading/frame_reader.h"

namespace {

double CpuSeconds() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    auto seconds = [](const FILETIME& t) {
        return ((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) return 2;
    FrameReader reader;
    if (!reader.Open(argv[1]) || reader.ReadFrame() != FrameReader::kFrameRead) return 1;
    levels::Codes codes(levels::BlocksFor(reader.Duration()), levels::kUnknown);
    reader.Close();
    const double before = CpuSeconds();
    LevelScan scan;
    if (!scan.Start(argv[1], codes, 0, nullptr, 0, 0)) return 1;
    while (scan.Running()) Sleep(20);
    const double cpu = CpuSeconds() - before;
    uint32_t first = 0, end = 0;
    scan.TakeResults(codes, first, end);
    size_t unknown = 0;
    for (uint8_t code : codes) unknown += code == levels::kUnknown;
    if (unknown != 0) return 1;
    printf("%.3f\n", cpu);
    return 0;
}
