// What the benchmark programs measure with: the process's memory, its peak reset where that
// can be done, and elapsed time. Link psapi.
#pragma once
#include <windows.h>
#include <psapi.h>
#include <cstdio>

inline PROCESS_MEMORY_COUNTERS Memory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters;
}

// Under Wine the peak is the Linux process's high-water mark, which can be reset; elsewhere
// this fails harmlessly and the peak since process start is used.
inline void ResetPeakMemory() {
    if (FILE* refs = _wfopen(L"Z:\\proc\\self\\clear_refs", L"w")) {
        std::fputs("5", refs);
        std::fclose(refs);
    }
}

// Seconds since `start`, a QueryPerformanceCounter reading.
inline double Seconds(const LARGE_INTEGER& start) {
    LARGE_INTEGER end, frequency;
    QueryPerformanceCounter(&end);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
}
