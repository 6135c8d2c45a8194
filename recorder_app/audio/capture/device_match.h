// Which of the recording devices present a remembered name stands for. Device ids change as
// devices come and go, so the choice is kept by name and looked up at every use.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

constexpr int kDeviceNotFound = -1;
// Characters of a name that the wave-input capabilities keep.
constexpr std::size_t kCapsNameUnits = 31;

// The index of the first device named exactly `wanted`. Failing that, the first whose name
// agrees with `wanted` over 31 characters where one of the two is no longer than that: one
// was read cut short from the capabilities, the other in full from the endpoint. An empty
// name matches nothing.
int FindCaptureDevice(const std::vector<std::wstring>& present, const std::wstring& wanted);
