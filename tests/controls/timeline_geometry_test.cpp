// The controls' arithmetic, without windows.
#include <gtest/gtest.h>
#include "controls/button_image.h"
#include "controls/level_bar.h"
#include "controls/scroll_geometry.h"
#include "controls/time_text.h"
#include "controls/timeline_geometry.h"

namespace {

constexpr int kPps = timeline::kPixelsPerSecond;
constexpr int kTrack = 244;     // the main window's 266-pixel time line minus both arrows
constexpr uint32_t kPage = 53200;

TEST(TimelineGeometry, TicksEverySecondAndLongTicksEveryTenSeconds) {
    EXPECT_EQ(timeline::TickAt(0), timeline::Tick::kLong);
    EXPECT_EQ(timeline::TickAt(20000), timeline::Tick::kLong);
    EXPECT_EQ(timeline::TickAt(21000), timeline::Tick::kShort);
    EXPECT_EQ(timeline::TickAt(21200), timeline::Tick::kNone);
}

TEST(TimelineGeometry, LeadingLabelKeepsTheTailOfAMarkThatScrolledOff) {
    EXPECT_FALSE(timeline::LeadingLabelFor(0, kPps).visible);
    EXPECT_FALSE(timeline::LeadingLabelFor(199, kPps).visible);  // rounds down to 0
    const timeline::LeadingLabel at12s = timeline::LeadingLabelFor(12000, kPps);
    EXPECT_TRUE(at12s.visible);
    EXPECT_EQ(at12s.ms, 10000u);
    EXPECT_EQ(at12s.x, -11);
    const timeline::LeadingLabel onMark = timeline::LeadingLabelFor(30000, kPps);
    EXPECT_EQ(onMark.ms, 30000u);
    EXPECT_EQ(onMark.x, -1);
}

TEST(TimelineGeometry, ClipFillEndsWhereTheLengthSays) {
    EXPECT_EQ(timeline::ClipFillRight(20000, 0, kPps, 266), 100);
    EXPECT_EQ(timeline::ClipFillRight(600000, 0, kPps, 266), 266);
    EXPECT_EQ(timeline::ClipFillRight(20000, 10000, kPps, 266), 50);
    EXPECT_LE(timeline::ClipFillRight(20000, 30000, kPps, 266), 0);
    EXPECT_EQ(timeline::ClipFillRight(0, 0, kPps, 266), 0);
    // The longest clip at the far end of the view does not wrap around.
    EXPECT_EQ(timeline::ClipFillRight(0xFFFFFFFFu, 0, kPps, 266), 266);
}

TEST(TimelineGeometry, ColumnsOfTimesInsideTheViewOnly) {
    EXPECT_EQ(timeline::ColumnOf(12000, 12000, kPps, 266), 0);
    EXPECT_EQ(timeline::ColumnOf(12199, 12000, kPps, 266), 0);
    EXPECT_EQ(timeline::ColumnOf(12000 + 53199, 12000, kPps, 266), 265);
    EXPECT_EQ(timeline::ColumnOf(12000 + 53200, 12000, kPps, 266), -1);
    EXPECT_EQ(timeline::ColumnOf(11999, 12000, kPps, 266), -1);
}

TEST(TimelineGeometry, ClickColumnToTime) {
    EXPECT_EQ(timeline::TimeAtColumn(100, 0, kPps), 20000u);
    EXPECT_EQ(timeline::TimeAtColumn(0, 12345, kPps), 12345u);
}

TEST(TimelineGeometry, PositionIsClampedIntoTheClip) {
    EXPECT_EQ(timeline::ClampPosition(-5, 1000), 0u);
    EXPECT_EQ(timeline::ClampPosition(1000, 1000), 999u);
    EXPECT_EQ(timeline::ClampPosition(5000, 1000), 999u);
    EXPECT_EQ(timeline::ClampPosition(999, 1000), 999u);
    EXPECT_EQ(timeline::ClampPosition(7, 0), 0u);
    EXPECT_EQ(timeline::ClampPosition(-1, 0), 0u);
}

TEST(TimelineGeometry, KeepInViewScrollsLeftToTheCursorOrRightToTheEdge) {
    const auto left = timeline::KeepInView(5000, 20000, kPage);
    EXPECT_TRUE(left.toCursor);
    EXPECT_EQ(left.cursorLeft, 5000u);
    EXPECT_FALSE(left.toRightEdge);

    const auto inside = timeline::KeepInView(20000 + kPage - 1, 20000, kPage);
    EXPECT_FALSE(inside.toCursor);
    EXPECT_FALSE(inside.toRightEdge);

    const auto right = timeline::KeepInView(100000, 0, kPage);
    EXPECT_TRUE(right.toRightEdge);
    EXPECT_EQ(right.rightEdgeStart, 100000u - kPage + 1);
    // One past the last visible millisecond is already out of view.
    EXPECT_TRUE(timeline::KeepInView(kPage, 0, kPage).toRightEdge);
}

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

TEST(LevelBar, HeightsAtSilenceHalfAndFullScale) {
    EXPECT_EQ(controls::LevelBarHeight(0), 0);
    EXPECT_EQ(controls::LevelBarHeight(32767), 29);
    EXPECT_EQ(controls::LevelBarHeight(65535), 59);
    EXPECT_EQ(controls::LevelBarHeight(65536), 59);
    EXPECT_EQ(controls::LevelBarHeight(200000), 59);
    EXPECT_EQ(controls::LevelBarHeight(-5), 0);
}

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

TEST(ButtonImage, PressedThenHoverThenDisabledWithTheNormalFallBack) {
    const int first[4] = {0, 2, 1, 3};
    const int second[4] = {4, 6, 5, 7};
    const int sparse[4] = {0, -1, -1, -1};
    EXPECT_EQ(ChooseButtonImage(first, {}), 0);
    EXPECT_EQ(ChooseButtonImage(first, {true, true, true}), 2);
    EXPECT_EQ(ChooseButtonImage(first, {false, true, true}), 1);
    EXPECT_EQ(ChooseButtonImage(first, {false, false, true}), 3);
    EXPECT_EQ(ChooseButtonImage(second, {false, false, true}), 7);
    EXPECT_EQ(ChooseButtonImage(sparse, {true, false, false}), 0);
    EXPECT_EQ(ChooseButtonImage(sparse, {false, false, true}), 0);
}

}  // namespace
