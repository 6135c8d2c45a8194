// The multimedia device interface, asked for one property of one endpoint. COM is started
// on the calling thread for the call and ended again, so that callers need not know of it.
#include "audio/capture/endpoint_name.h"

#include <mmdeviceapi.h>
#include <propsys.h>

namespace {

// Defined here rather than taken from the SDK's GUID definitions, which need INITGUID.
const CLSID kDeviceEnumerator = {0xBCDE0395, 0xE52F, 0x467C, {0x8E, 0x3D, 0xC4, 0x57, 0x92, 0x91, 0x69, 0x2E}};
const PROPERTYKEY kFriendlyName = {{0xa45c254e, 0xdf1c, 0x4efd, {0x80, 0x20, 0x67, 0xd1, 0x46, 0xa8, 0x50, 0xe0}}, 14};

template <class Interface>
void Release(Interface*& object) {
    if (object) object->Release();
    object = nullptr;
}

bool ReadFriendlyName(const wchar_t* endpointId, wchar_t* name, UINT units) {
    IMMDeviceEnumerator* devices = nullptr;
    IMMDevice* device = nullptr;
    IPropertyStore* properties = nullptr;
    PROPVARIANT value;
    PropVariantInit(&value);
    bool found = false;
    if (SUCCEEDED(CoCreateInstance(kDeviceEnumerator, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IMMDeviceEnumerator),
                                   reinterpret_cast<void**>(&devices))) &&
        SUCCEEDED(devices->GetDevice(endpointId, &device)) &&
        SUCCEEDED(device->OpenPropertyStore(STGM_READ, &properties)) &&
        SUCCEEDED(properties->GetValue(kFriendlyName, &value)) && value.vt == VT_LPWSTR && value.pwszVal &&
        value.pwszVal[0] != L'\0') {
        lstrcpynW(name, value.pwszVal, static_cast<int>(units));
        found = true;
    }
    PropVariantClear(&value);
    Release(properties);
    Release(device);
    Release(devices);
    return found;
}

}  // namespace

bool WINAPI EndpointFriendlyName(const wchar_t* endpointId, wchar_t* name, UINT units) {
    if (!endpointId || !name || units == 0) return false;
    const ComScope com;
    return ReadFriendlyName(endpointId, name, units);
}

// A thread that already runs COM in the other model keeps it; the lookup works in either.
ComScope::ComScope() : m_started(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

ComScope::~ComScope() {
    if (m_started) CoUninitialize();
}
