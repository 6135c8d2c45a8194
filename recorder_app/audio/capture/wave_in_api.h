// The wave-input calls the capture engines make, gathered in a table so that the engine's
// start and stop steps can also run against a scripted device. The wait between polls of
// the device is in the table too, so that a device that never answers can be scripted
// without the test waiting for real; so is the clock a device's silence is measured by, so
// that a test can set it where a race between the worker and the caller would. So are the
// calls that list the devices and name them, so that a machine's set of microphones can be
// scripted as well.
#pragma once
#include <windows.h>
#include <mmsystem.h>

// 16-bit PCM, the only format the program captures.
inline WAVEFORMATEX PcmFormat(WORD channels, DWORD sampleRate) {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channels;
    format.nSamplesPerSec = sampleRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(channels * 2);
    format.nAvgBytesPerSec = channels * 2 * sampleRate;
    return format;
}

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
    DWORD(WINAPI* tickCount)();
    UINT(WINAPI* deviceCount)();
    MMRESULT(WINAPI* deviceCaps)(UINT_PTR deviceId, WAVEINCAPSW* caps, UINT size);
    // waveInMessage, which takes a device id in place of the handle for the driver queries
    // used here (the endpoint's id, the system's preferred device).
    MMRESULT(WINAPI* message)(HWAVEIN device, UINT message, DWORD_PTR param1, DWORD_PTR param2);
    // The friendly name of the audio endpoint with that id, into name (units, terminator
    // included); false when the system cannot tell.
    bool(WINAPI* endpointName)(const wchar_t* endpointId, wchar_t* name, UINT units);
};

// The system's wave-input functions (winmm), and the endpoint's name from the multimedia
// device interface.
const WaveInApi& WinmmWaveIn();
