// The scroll bar's arithmetic, without windows.
#include <gtest/gtest.h>
#include "controls/scroll_geometry.h"

namespace {

constexpr int kTrack = 244;     // the main window's 266-pixel time line minus both arrows
constexpr uint32_t kPage = 53200;

TEST(ScrollGeometry, WorkedFiguresOfTheMainWindow) {
    EXPECT_EQ(scroll::TrackPixels(kTrack, 600000, kPage), 21);
    EXPECT_EQ(scroll::ArrowStep(600000, kTrack), 2704u);
    EXPECT_EQ(scroll::TrackPixels(kTrack, 60000, kPage), 216);
    EXPECT_EQ(scroll::ArrowStep(60000, kTrack), 270u);
    EXPECT_FALSE(scroll::CanScroll(53200, kPage));
    EXPECT_FALSE(scroll::CanScroll(0, kPage));
    EXPECT_TRUE(scroll::CanScroll(53201, kPage));
}
TEST(ScrollGeometry, ClampKeepsAFullPageInsideTheRange) {
    EXPECT_EQ(scroll::ClampPos(100000, 600000, kPage), 100000u);
    EXPECT_EQ(scroll::ClampPos(590000, 600000, kPage), 546800u);
    EXPECT_EQ(scroll::ClampPos(5000, 40000, kPage), 5000u);  // no clamp below one page
    EXPECT_EQ(scroll::ClampPos(0xFFFFFFF0u, 600000, kPage), 546800u);
}
TEST(ScrollGeometry, StepsStopAtZero) {
    EXPECT_EQ(scroll::StepFrom(1000, -2704), 0u);
    EXPECT_EQ(scroll::StepFrom(5000, -2704), 2296u);
    EXPECT_EQ(scroll::StepFrom(5000, 2704), 7704u);
    EXPECT_EQ(scroll::DragDelta(600000, kTrack, 10), 24590);
    EXPECT_EQ(scroll::DragDelta(600000, kTrack, -10), -24590);
}
TEST(ScrollGeometry, PressesLeftOfInsideAndRightOfTheThumb) {
    const scroll::Thumb thumb = scroll::ThumbAt(100000, 600000, 21, kTrack);
    EXPECT_EQ(thumb.left, 11 + 40);
    using scroll::Press;
    EXPECT_EQ(scroll::ClassifyPress(20, 600000, kPage, thumb, kTrack), Press::kPageLeft);
    EXPECT_EQ(scroll::ClassifyPress(51, 600000, kPage, thumb, kTrack), Press::kDrag);
    EXPECT_EQ(scroll::ClassifyPress(71, 600000, kPage, thumb, kTrack), Press::kDrag);
    EXPECT_EQ(scroll::ClassifyPress(72, 600000, kPage, thumb, kTrack), Press::kIgnored);
    EXPECT_EQ(scroll::ClassifyPress(73, 600000, kPage, thumb, kTrack), Press::kPageRight);
    EXPECT_EQ(scroll::ClassifyPress(5, 600000, kPage, thumb, kTrack), Press::kIgnored);
    EXPECT_EQ(scroll::ClassifyPress(-3, 600000, kPage, thumb, kTrack), Press::kIgnored);
    EXPECT_EQ(scroll::ClassifyPress(255, 600000, kPage, thumb, kTrack), Press::kIgnored);
    EXPECT_EQ(scroll::ClassifyPress(20, 40000, kPage, thumb, kTrack), Press::kIgnored);
    EXPECT_TRUE(scroll::OverThumb(51, thumb));
    EXPECT_FALSE(scroll::OverThumb(72, thumb));
    EXPECT_FALSE(scroll::OverThumb(-1, thumb));
}

}  // namespace
