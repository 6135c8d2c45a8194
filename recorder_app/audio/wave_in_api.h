// The wave-input calls the capture engines make, gathered in a table so that the engine's
// start and stop steps can also run against a scripted device. The wait between polls of
// the device is in the table too, so that a device that never answers can be scripted
// without the test waiting for real.
#pragma once
#include <windows.h>
#include <mmsystem.h>

struct WaveInApi {
    MMRESULT(WINAPI* open)(HWAVEIN* device, UINT deviceId, const WAVEFORMATEX* format,
                           DWORD_PTR callback, DWORD_PTR instance, DWORD flags);
    MMRESULT(WINAPI* prepareHeader)(HWAVEIN device, WAVEHDR* header, UINT size);
    MMRESULT(WINAPI* unprepareHeader)(HWAVEIN device, WAVEHDR* header, UINT size);
    MMRESULT(WINAPI* addBuffer)(HWAVEIN device, WAVEHDR* header, UINT size);
    MMRESULT(WINAPI* start)(HWAVEIN device);
    MMRESULT(WINAPI* reset)(HWAVEIN device);
    MMRESULT(WINAPI* close)(HWAVEIN device);
    void(WINAPI* wait)(DWORD ms);
};

// The system's wave-input functions (winmm).
const WaveInApi& WinmmWaveIn();
