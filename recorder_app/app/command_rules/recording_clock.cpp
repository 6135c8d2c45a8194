#include "recording_clock.h"

namespace recording {

ClockAction ClockStep(uint32_t elapsedMs, uint32_t maxLengthMs, uint32_t warnBeforeMs, bool warned) {
    if (elapsedMs > maxLengthMs - warnBeforeMs && !warned) return ClockAction::Warn;
    if (elapsedMs > maxLengthMs) return ClockAction::Stop;
    return ClockAction::None;
}

}  // namespace recording
