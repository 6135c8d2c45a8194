// The level meter's bar heights.
#include <gtest/gtest.h>
#include "controls/level_bar.h"

namespace {

TEST(LevelBar, HeightsAtSilenceHalfAndFullScale) {
    EXPECT_EQ(controls::LevelBarHeight(0), 0);
    EXPECT_EQ(controls::LevelBarHeight(32767), 29);
    EXPECT_EQ(controls::LevelBarHeight(65535), 59);
    EXPECT_EQ(controls::LevelBarHeight(65536), 59);
    EXPECT_EQ(controls::LevelBarHeight(200000), 59);
    EXPECT_EQ(controls::LevelBarHeight(-5), 0);
}

}  // namespace
