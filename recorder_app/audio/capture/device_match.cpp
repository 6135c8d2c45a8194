// Finding a remembered recording device among those present.
#include "audio/capture/device_match.h"

namespace {

bool SameWhenCut(const std::wstring& a, const std::wstring& b) {
    const std::wstring& shorter = a.size() <= b.size() ? a : b;
    const std::wstring& longer = a.size() <= b.size() ? b : a;
    return shorter.size() == kCapsNameUnits && longer.compare(0, kCapsNameUnits, shorter) == 0;
}

}  // namespace

int FindCaptureDevice(const std::vector<std::wstring>& present, const std::wstring& wanted) {
    if (wanted.empty()) return kDeviceNotFound;
    for (std::size_t i = 0; i < present.size(); ++i)
        if (present[i] == wanted) return static_cast<int>(i);
    for (std::size_t i = 0; i < present.size(); ++i)
        if (SameWhenCut(present[i], wanted)) return static_cast<int>(i);
    return kDeviceNotFound;
}

int FindCaptureDevice(const std::vector<CaptureDevice>& present, const CaptureDevice& wanted) {
    if (!wanted.endpointId.empty())
        for (std::size_t i = 0; i < present.size(); ++i)
            if (present[i].endpointId == wanted.endpointId) return static_cast<int>(i);
    std::vector<std::wstring> names;
    names.reserve(present.size());
    for (const CaptureDevice& device : present) names.push_back(device.name);
    return FindCaptureDevice(names, wanted.name);
}
