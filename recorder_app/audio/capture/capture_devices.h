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

// Whether the device opens for 16-bit PCM of that shape; it is closed again at once. A device
// unplugged while the program runs may stay listed until the program restarts, and only
// refuses to open.
bool CaptureDeviceOpens(const WaveInApi& api, UINT deviceId, WORD channels, DWORD sampleRate);

// The same for the system's own devices.
std::vector<CaptureDevice> CaptureDevices();
std::wstring DefaultCaptureDeviceName();
bool CaptureDeviceOpens(UINT deviceId, WORD channels, DWORD sampleRate);
