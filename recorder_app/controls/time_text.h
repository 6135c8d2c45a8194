// Texts of the time line's ruler labels and of the time indicator.
#pragma once
#include <cstdint>
#include <string>

namespace controls {

// "mm:ss" of a ruler mark: whole minutes, not wrapped at 60, and seconds.
std::wstring RulerLabel(uint32_t ms);

// "mm:ss:hh" of the time indicator: whole minutes (three digits from 100 minutes on),
// seconds and hundredths.
std::wstring ClockText(uint32_t ms);

}  // namespace controls
