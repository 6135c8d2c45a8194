// Measures or evens out one clip, for the checks with ffmpeg and for scripts/bench loudness:
//   loudness_probe measure CLIP        prints "integrated range peak milliseconds"
//   loudness_probe even CLIP TARGET    prints "steps milliseconds" (of the writing)
//   loudness_probe write CLIP TARGET STEPS   writes only, prints "milliseconds"
#include "audio/loudness/even_out_plan.h"
#include "audio/loudness/even_out_writer.h"
#include "audio/loudness/loudness_meter.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    if (std::wcscmp(argv[1], L"write") == 0 && argc == 5) {
        const DWORD start = GetTickCount();
        DWORD error = 0;
        const int written = WriteEvenedClip(argv[2], argv[3], _wtoi(argv[4]), nullptr, error);
        if (written != kEvenOutWritten) {
            std::printf("write failed: %d (system error %lu)\n", written, error);
            return 1;
        }
        std::printf("%lu\n", GetTickCount() - start);
        return 0;
    }
    const bool even = std::wcscmp(argv[1], L"even") == 0;
    if (even && argc < 4) return 2;
    const DWORD start = GetTickCount();
    FrameReader reader;
    ClipLoudness clip;
    if (!reader.Open(argv[2])) return 3;
    const int measured = MeasureClip(reader, clip, nullptr);
    reader.Close();
    if (measured != kLoudnessMeasured) {
        std::printf("measure failed: %d\n", measured);
        return 1;
    }
    if (!even) {
        std::printf("%.3f %.3f %.3f %lu\n", clip.figures.integratedLufs, clip.figures.rangeLu,
                    clip.figures.truePeakDbtp, GetTickCount() - start);
        return 0;
    }
    const EvenOutPlan plan = PlanEvenOut(clip);
    const DWORD writeStart = GetTickCount();
    DWORD error = 0;
    if (plan.steps != 0) {
        const int written = WriteEvenedClip(argv[2], argv[3], plan.steps, nullptr, error);
        if (written != kEvenOutWritten) {
            std::printf("write failed: %d (system error %lu)\n", written, error);
            return 1;
        }
    }
    std::printf("%d %lu\n", plan.steps, GetTickCount() - writeStart);
    return 0;
}
