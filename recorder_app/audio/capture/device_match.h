// Which of the recording devices present a remembered one stands for. Device ids change as
// devices come and go, so the choice is kept by the endpoint's identity and its name, and
// looked up at every use.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

constexpr int kDeviceNotFound = -1;
// Characters of a name that the wave-input capabilities keep.
constexpr std::size_t kCapsNameUnits = 31;

// A recording device as the user knows it and as the system does.
struct CaptureDevice {
    std::wstring name;  // the endpoint's full name, else the capabilities' 31 characters
    // The audio endpoint's id, the same for the device from one start to the next whatever
    // its wave-input id; empty when the driver gives none (or for a choice remembered
    // before identities were).
    std::wstring endpointId;
};

// The index of the first device named exactly `wanted`. Failing that, the first whose name
// agrees with `wanted` over 31 characters where one of the two is no longer than that: one
// was read cut short from the capabilities, the other in full from the endpoint. An empty
// name matches nothing.
int FindCaptureDevice(const std::vector<std::wstring>& present, const std::wstring& wanted);
// Two devices can bear one name, or names alike over 31 characters: the one with the wanted
// endpoint's id is taken first. Only when none has it (no id remembered, a driver that gives
// none, or a device the system gave a new endpoint) is it looked for by name as above.
int FindCaptureDevice(const std::vector<CaptureDevice>& present, const CaptureDevice& wanted);
