// Benchmark program of scripts/bench.d/update.sh; prints its figures as name=value lines.
//   update_bench unpack ARCHIVE FOLDER   seconds=<time to unpack the archive into FOLDER>
//   update_bench download URL APPDIR     seconds=<download, write and unpack into
//                                        APPDIR\updates>, peak_growth_mb=<largest growth of the
//                                        process's memory meanwhile>
#include <curl/curl.h>
#include <windows.h>
#include <psapi.h>
#include <cstdio>
#include <exception>
#include "service/request/settings.h"
#include "service/update/unpack.h"
#include "service/update/update_download.h"

namespace {

PROCESS_MEMORY_COUNTERS Memory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

// Under Wine the peak is the Linux process's high-water mark, which can be reset; elsewhere
// this fails harmlessly and the peak since process start is used.
void ResetPeakMemory() {
    if (FILE* refs = _wfopen(L"Z:\\proc\\self\\clear_refs", L"w")) {
        std::fputs("5", refs);
        std::fclose(refs);
    }
}

double Seconds(const LARGE_INTEGER& start) {
    LARGE_INTEGER end, frequency;
    QueryPerformanceCounter(&end);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: update_bench unpack ARCHIVE FOLDER | download URL APPDIR\n");
        return 2;
    }
    const std::wstring mode = argv[1];
    LARGE_INTEGER start;
    if (mode == L"unpack") {
        QueryPerformanceCounter(&start);
        const UnpackSummary summary = UnpackArchive(argv[2], argv[3]);
        const double seconds = Seconds(start);
        if (summary.written != summary.entries || summary.entries == 0) {
            std::fprintf(stderr, "unpacked %d of %d entries\n", summary.written, summary.entries);
            return 1;
        }
        std::printf("seconds=%.3f\n", seconds);
        return 0;
    }
    curl_global_init(CURL_GLOBAL_ALL);
    g_settings.m_proxyType = PROXY_NONE;
    TransferWatch watch;
    ResetPeakMemory();
    const SIZE_T before = Memory().WorkingSetSize;
    QueryPerformanceCounter(&start);
    try {
        DownloadUpdate(argv[3], argv[2], &watch);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "download failed: %s\n", error.what());
        return 1;
    }
    const double seconds = Seconds(start);
    const SIZE_T peak = Memory().PeakWorkingSetSize;
    std::printf("seconds=%.3f\n", seconds);
    std::printf("peak_growth_mb=%.1f\n", peak > before ? static_cast<double>(peak - before) / (1024.0 * 1024.0) : 0.0);
    return 0;
}
