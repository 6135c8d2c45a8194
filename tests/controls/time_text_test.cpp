// The ruler's labels and the clock's text.
#include <gtest/gtest.h>
#include "controls/time_text.h"

namespace {

TEST(TimeText, RulerLabelsInWholeMinutes) {
    EXPECT_EQ(controls::RulerLabel(0), L"00:00");
    EXPECT_EQ(controls::RulerLabel(20000), L"00:20");
    EXPECT_EQ(controls::RulerLabel(7200000), L"120:00");
}
TEST(TimeText, ClockShowsMinutesSecondsAndHundredths) {
    EXPECT_EQ(controls::ClockText(0), L"00:00:00");
    EXPECT_EQ(controls::ClockText(61234), L"01:01:23");
    EXPECT_EQ(controls::ClockText(6000000), L"100:00:00");
    EXPECT_EQ(controls::ClockText(999), L"00:00:99");
}

}  // namespace
