// The level meter: how much of its gradient shows at each level.
#include <gtest/gtest.h>
#include "controls/volume_ctrl.h"
#include "res/bitmap_ids.h"
#include "small_controls_fixture.h"
#include "test_support.h"

namespace {

// Rows of the meter that show the gradient rather than the background.
int LitRows(CVolumeCtrl& meter) {
    test::Capture c(meter, 9, 59);
    int lit = 0;
    for (int y = 0; y < 59; ++y)
        if (c.At(4, y) != 0xDADADA) ++lit;
    return lit;
}

TEST_F(SmallControls, MeterBarHeights) {
    CVolumeCtrl meter;
    ASSERT_NE(meter.Create(host, RECT{10, 10, 19, 69}), nullptr);
    const test::BitmapPixels gradient = test::ReadBitmapResource(IDB_LEVEL_METER);
    ASSERT_EQ(gradient.height, 59);
    meter.SetLevel(0);
    EXPECT_EQ(LitRows(meter), 0);
    meter.SetLevel(32767);
    EXPECT_EQ(LitRows(meter), 29);
    test::Capture half(meter, 9, 59);
    EXPECT_EQ(half.At(4, 58), gradient.At(4, 58));
    EXPECT_EQ(half.At(4, 30), gradient.At(4, 30));
    EXPECT_EQ(half.At(4, 29), 0xDADADAu);
    meter.SetLevel(65535);
    EXPECT_EQ(LitRows(meter), 59);
    meter.SetLevel(65536);
    EXPECT_EQ(LitRows(meter), 59);
    EXPECT_EQ(test::Capture(meter, 9, 59).At(4, 0), gradient.At(4, 0));
}

}  // namespace
