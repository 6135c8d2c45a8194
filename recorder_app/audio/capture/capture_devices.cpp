// Naming the recording devices: the capabilities' name, or better the endpoint's full one,
// reached through the endpoint id that the driver gives for a device id.
#include "audio/capture/capture_devices.h"

#include <mmddk.h>

#include "audio/capture/endpoint_name.h"

namespace {

// Endpoint ids are about sixty characters; anything beyond this is not one.
constexpr ULONG kMaxEndpointIdBytes = 1024;
constexpr UINT kMaxNameUnits = 256;

HWAVEIN AsHandle(UINT deviceId) {
    return reinterpret_cast<HWAVEIN>(static_cast<UINT_PTR>(deviceId));
}

bool FullName(const WaveInApi& api, UINT deviceId, std::wstring* name) {
    ULONG bytes = 0;
    if (api.message(AsHandle(deviceId), DRV_QUERYFUNCTIONINSTANCEIDSIZE, reinterpret_cast<DWORD_PTR>(&bytes), 0) !=
            MMSYSERR_NOERROR ||
        bytes < sizeof(wchar_t) || bytes > kMaxEndpointIdBytes)
        return false;
    std::wstring endpoint(bytes / sizeof(wchar_t) + 1, L'\0');
    if (api.message(AsHandle(deviceId), DRV_QUERYFUNCTIONINSTANCEID, reinterpret_cast<DWORD_PTR>(&endpoint[0]),
                    bytes) != MMSYSERR_NOERROR)
        return false;
    wchar_t full[kMaxNameUnits] = {};
    if (!api.endpointName(endpoint.c_str(), full, kMaxNameUnits)) return false;
    name->assign(full);
    return !name->empty();
}

std::wstring DeviceName(const WaveInApi& api, UINT deviceId) {
    std::wstring name;
    if (FullName(api, deviceId, &name)) return name;
    WAVEINCAPSW caps{};
    if (api.deviceCaps(deviceId, &caps, sizeof caps) != MMSYSERR_NOERROR) return {};
    caps.szPname[MAXPNAMELEN - 1] = L'\0';
    return caps.szPname;
}

}  // namespace

std::vector<std::wstring> CaptureDeviceNames(const WaveInApi& api) {
    std::vector<std::wstring> names;
    const UINT count = api.deviceCount();
    for (UINT id = 0; id < count; ++id) names.push_back(DeviceName(api, id));
    return names;
}

std::wstring DefaultCaptureDeviceName(const WaveInApi& api) {
    DWORD preferred = WAVE_MAPPER, flags = 0;
    if (api.message(AsHandle(WAVE_MAPPER), DRVM_MAPPER_PREFERRED_GET, reinterpret_cast<DWORD_PTR>(&preferred),
                    reinterpret_cast<DWORD_PTR>(&flags)) != MMSYSERR_NOERROR ||
        preferred >= api.deviceCount())
        return {};
    return DeviceName(api, preferred);
}

std::vector<std::wstring> CaptureDeviceNames() {
    const ComScope com;
    return CaptureDeviceNames(WinmmWaveIn());
}

std::wstring DefaultCaptureDeviceName() {
    const ComScope com;
    return DefaultCaptureDeviceName(WinmmWaveIn());
}
