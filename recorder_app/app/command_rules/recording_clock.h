// What the recording timer does at each tick: follow the length, warn once when a quarter
// of an hour of the two-hour limit is left, stop past the limit. Pure logic.
#pragma once
#include <cstdint>

namespace recording {

constexpr uint32_t kMaxLengthMs = 7200000;   // two hours
constexpr uint32_t kWarnBeforeMs = 900000;   // the warning comes this long before the limit
constexpr uint32_t kBytesPerMs = 12;         // 96 kbit/s constant bit rate

enum class ClockAction { None, Warn, Stop };

// `warned` is the program's one warning flag: the warning is shown at most once per run,
// and a tick that warns does nothing more, so a stop waits for the next tick.
ClockAction ClockStep(uint32_t elapsedMs, uint32_t maxLengthMs, uint32_t warnBeforeMs, bool warned);

}  // namespace recording
