// Naming the recording devices: the capabilities' name, or better the endpoint's full one,
// reached through the endpoint id that the driver gives for a device id, which is also the
// device's identity.
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

// The endpoint's id that the driver gives for a device id, or empty.
std::wstring EndpointId(const WaveInApi& api, UINT deviceId) {
    ULONG bytes = 0;
    if (api.message(AsHandle(deviceId), DRV_QUERYFUNCTIONINSTANCEIDSIZE, reinterpret_cast<DWORD_PTR>(&bytes), 0) !=
            MMSYSERR_NOERROR ||
        bytes < sizeof(wchar_t) || bytes > kMaxEndpointIdBytes)
        return {};
    std::wstring endpoint(bytes / sizeof(wchar_t) + 1, L'\0');
    if (api.message(AsHandle(deviceId), DRV_QUERYFUNCTIONINSTANCEID, reinterpret_cast<DWORD_PTR>(&endpoint[0]),
                    bytes) != MMSYSERR_NOERROR)
        return {};
    endpoint.resize(lstrlenW(endpoint.c_str()));
    return endpoint;
}

CaptureDevice Device(const WaveInApi& api, UINT deviceId) {
    CaptureDevice device;
    device.endpointId = EndpointId(api, deviceId);
    wchar_t full[kMaxNameUnits] = {};
    if (!device.endpointId.empty() && api.endpointName(device.endpointId.c_str(), full, kMaxNameUnits) && full[0]) {
        device.name = full;
        return device;
    }
    WAVEINCAPSW caps{};
    if (api.deviceCaps(deviceId, &caps, sizeof caps) != MMSYSERR_NOERROR) return device;
    caps.szPname[MAXPNAMELEN - 1] = L'\0';
    device.name = caps.szPname;
    return device;
}

}  // namespace

std::vector<CaptureDevice> CaptureDevices(const WaveInApi& api) {
    std::vector<CaptureDevice> devices;
    const UINT count = api.deviceCount();
    for (UINT id = 0; id < count; ++id) devices.push_back(Device(api, id));
    return devices;
}

std::wstring DefaultCaptureDeviceName(const WaveInApi& api) {
    DWORD preferred = WAVE_MAPPER, flags = 0;
    if (api.message(AsHandle(WAVE_MAPPER), DRVM_MAPPER_PREFERRED_GET, reinterpret_cast<DWORD_PTR>(&preferred),
                    reinterpret_cast<DWORD_PTR>(&flags)) != MMSYSERR_NOERROR ||
        preferred >= api.deviceCount())
        return {};
    return Device(api, preferred).name;
}

DeviceProbe ProbeCaptureDevice(const WaveInApi& api, UINT deviceId, WORD channels, DWORD sampleRate) {
    WAVEFORMATEX format = PcmFormat(channels, sampleRate);
    HWAVEIN device = nullptr;
    const MMRESULT result = api.open(&device, deviceId, &format, 0, 0, CALLBACK_NULL);
    if (result == MMSYSERR_ALLOCATED) return DeviceProbe::kHeld;
    if (result != MMSYSERR_NOERROR) return DeviceProbe::kGone;
    api.close(device);
    return DeviceProbe::kOpens;
}

std::vector<CaptureDevice> CaptureDevices() {
    const ComScope com;
    return CaptureDevices(WinmmWaveIn());
}

std::wstring DefaultCaptureDeviceName() {
    const ComScope com;
    return DefaultCaptureDeviceName(WinmmWaveIn());
}

DeviceProbe ProbeCaptureDevice(UINT deviceId, WORD channels, DWORD sampleRate) {
    return ProbeCaptureDevice(WinmmWaveIn(), deviceId, channels, sampleRate);
}
