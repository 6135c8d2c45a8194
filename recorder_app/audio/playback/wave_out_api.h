// The wave-output calls the clip player's output makes, gathered in a table so that a
// device that stalls or never hands a block back can be scripted. The wait between polls of
// the device is in the table too, so that such a device costs a test no real time.
#pragma once
#include <windows.h>
#include <mmsystem.h>

struct WaveOutApi {
    UINT(WINAPI* getNumDevs)();
    MMRESULT(WINAPI* open)(HWAVEOUT* device, UINT deviceId, const WAVEFORMATEX* format,
                           DWORD_PTR callback, DWORD_PTR instance, DWORD flags);
    MMRESULT(WINAPI* prepareHeader)(HWAVEOUT device, WAVEHDR* header, UINT size);
    MMRESULT(WINAPI* unprepareHeader)(HWAVEOUT device, WAVEHDR* header, UINT size);
    MMRESULT(WINAPI* write)(HWAVEOUT device, WAVEHDR* header, UINT size);
    MMRESULT(WINAPI* reset)(HWAVEOUT device);
    MMRESULT(WINAPI* close)(HWAVEOUT device);
    void(WINAPI* wait)(DWORD ms);
};

// The system's wave-output functions (winmm).
const WaveOutApi& WinmmWaveOut();
