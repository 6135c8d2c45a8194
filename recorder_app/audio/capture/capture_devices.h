// The machine's recording devices by name, in the order of their wave-input device ids.
#pragma once
#include <string>
#include <vector>

#include "audio/capture/wave_in_api.h"

// One name per device id from 0: the endpoint's full name where the system gives it, else the
// 31 characters of the wave-input capabilities. A device that cannot be asked is listed
// with an empty name, so that the indices stay the device ids.
std::vector<std::wstring> CaptureDeviceNames(const WaveInApi& api);
// The name of the device that the system records from by default, or empty.
std::wstring DefaultCaptureDeviceName(const WaveInApi& api);

// The same for the system's own devices.
std::vector<std::wstring> CaptureDeviceNames();
std::wstring DefaultCaptureDeviceName();
