// The blinking "recording" image: its toggling, its timer and its steady image.
#include <gtest/gtest.h>
#include "controls/blinking_image.h"
#include "res/bitmap_ids.h"
#include "small_controls_fixture.h"
#include "test_support.h"

namespace {

TEST_F(SmallControls, BlinkingImageTogglesAndStopRestoresTheSteadyImage) {
    CBlinkingImage blink;
    ASSERT_NE(blink.Create(host, RECT{10, 10, 68, 17}), nullptr);
    blink.SetImages(IDB_RECORDING_OFF, IDB_RECORDING_ON);
    const test::BitmapPixels steady = test::ReadBitmapResource(IDB_RECORDING_OFF);
    const test::BitmapPixels word = test::ReadBitmapResource(IDB_RECORDING_ON);
    // A column where the word has ink.
    int inkX = -1;
    for (int x = 0; x < 58 && inkX < 0; ++x)
        if (word.At(x, 3) != steady.At(x, 3)) inkX = x;
    ASSERT_GE(inkX, 0);
    auto shown = [&] { return test::Capture(blink, 58, 7).At(inkX, 3); };
    EXPECT_EQ(shown(), steady.At(inkX, 3));

    blink.SendMessage(WM_TIMER, 1, 0);
    EXPECT_EQ(shown(), word.At(inkX, 3));
    blink.SendMessage(WM_TIMER, 1, 0);
    EXPECT_EQ(shown(), steady.At(inkX, 3));
    blink.SendMessage(WM_TIMER, 1, 0);
    blink.StopBlinking();
    EXPECT_TRUE(blink.ShowsSteadyImage());
    EXPECT_EQ(shown(), steady.At(inkX, 3));
}

TEST_F(SmallControls, BlinkingRunsOnItsTimer) {
    CBlinkingImage blink;
    ASSERT_NE(blink.Create(host, RECT{10, 10, 68, 17}), nullptr);
    blink.SetImages(IDB_RECORDING_OFF, IDB_RECORDING_ON);
    blink.StartBlinking();
    EXPECT_TRUE(test::PumpUntil([&] { return !blink.ShowsSteadyImage(); }));
    blink.StopBlinking();
    EXPECT_TRUE(blink.ShowsSteadyImage());
}

}  // namespace
