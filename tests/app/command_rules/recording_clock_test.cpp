// The recording timer's steps towards the two-hour limit.
#include <gtest/gtest.h>
#include "app/command_rules/recording_clock.h"

namespace {

TEST(RecordingClock, WarnsOnceThenStopsPastTwoHours) {
    using recording::ClockAction;
    using recording::ClockStep;
    const uint32_t max = recording::kMaxLengthMs, before = recording::kWarnBeforeMs;
    EXPECT_EQ(ClockStep(6300000, max, before, false), ClockAction::None);
    EXPECT_EQ(ClockStep(6300001, max, before, false), ClockAction::Warn);
    EXPECT_EQ(ClockStep(6300001, max, before, true), ClockAction::None);
    EXPECT_EQ(ClockStep(7200000, max, before, true), ClockAction::None);
    EXPECT_EQ(ClockStep(7200001, max, before, true), ClockAction::Stop);
    // A tick that warns does nothing more, even past the limit.
    EXPECT_EQ(ClockStep(7200001, max, before, false), ClockAction::Warn);
}

}  // namespace
