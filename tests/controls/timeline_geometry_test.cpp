// The time line's arithmetic, without windows.
#include <gtest/gtest.h>
#include "controls/timeline_geometry.h"

namespace {

constexpr int kPps = timeline::kPixelsPerSecond;
constexpr uint32_t kPage = 53200;  // the main window's visible stretch

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

}  // namespace
