#include <gtest/gtest.h>
#include "app/main_window/level_meter.h"

namespace {

TEST(MeterValue, IsTwiceTheMagnitudeUpToTheMostNegativeSample) {
    EXPECT_EQ(MeterValue(0), 0u);
    EXPECT_EQ(MeterValue(1), 2u);
    EXPECT_EQ(MeterValue(-1), 2u);
    EXPECT_EQ(MeterValue(32767), 65534u);
    EXPECT_EQ(MeterValue(-32768), 65536u);  // no 16-bit wrap-around
}

}  // namespace
