// Writes a copy of a Layer III clip with every coded granule's global gain shifted by the
// same number of steps and every frame's CRC written again. Frames keep their positions and
// lengths, so the copy has the source's size and spots keep their times. The copy is new
// (an existing file is never replaced), flushed and measured; on any failure it is removed.
//
// Threads: runs on the loudness worker; the watch is shared as in loudness_meter.h.
#pragma once
#include <windows.h>

#include "audio/loudness/loudness_meter.h"

// The file calls that can fail halfway (a full disk), so that tests can provoke them.
struct EvenOutFileApi {
    BOOL(WINAPI* writeFile)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
    BOOL(WINAPI* flushFileBuffers)(HANDLE);
};
const EvenOutFileApi& SystemEvenOutFileApi();

// Results of WriteEvenedClip.
constexpr int kEvenOutWritten = 0;
constexpr int kEvenOutCannotOpen = -1;
constexpr int kEvenOutCannotCreate = -2;
constexpr int kEvenOutReadFailed = -3;
constexpr int kEvenOutWriteFailed = -4;
constexpr int kEvenOutWrongSize = -5;
constexpr int kEvenOutGainRange = -6;  // a granule's gain would leave its field
constexpr int kEvenOutCancelled = -7;

// `systemError` receives the system's code of a failed file call, or 0. `watch` may be null.
int WriteEvenedClip(const wchar_t* source, const wchar_t* target, int steps, MeasureWatch* watch,
                    DWORD& systemError, const EvenOutFileApi& api = SystemEvenOutFileApi());
