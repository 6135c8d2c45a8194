// The machine's recording devices by name and endpoint, in the order of their wave-input
// device ids.
#pragma once
#include <string>
#include <vector>

#include "audio/capture/device_match.h"
#include "audio/capture/wave_in_api.h"

// One device per device id from 0, named by the endpoint's full name where the system gives
// it, else by the 31 characters of the wave-input capabilities, with the endpoint's id where
// the driver gives one. A device that cannot be asked is listed with an empty name, so that
// the indices stay the device ids.
std::vector<CaptureDevice> CaptureDevices(const WaveInApi& api);
// The name of the device that the system records from by default, or empty.
std::wstring DefaultCaptureDeviceName(const WaveInApi& api);

// What opening a device for a moment tells of it.
enum class DeviceProbe {
    kOpens,
    // Unplugged: a device unplugged while the program runs may stay listed until the program
    // restarts, and only refuses to open.
    kGone,
    // In use: a driver that serves one capture client at a time answers "allocated" while
    // another one (another program, or this one's own level meter) captures from it.
    kHeld,
};

// Opens the device for 16-bit PCM of that shape and closes it again at once.
DeviceProbe ProbeCaptureDevice(const WaveInApi& api, UINT deviceId, WORD channels, DWORD sampleRate);

// The same for the system's own devices.
std::vector<CaptureDevice> CaptureDevices();
std::wstring DefaultCaptureDeviceName();
DeviceProbe ProbeCaptureDevice(UINT deviceId, WORD channels, DWORD sampleRate);
