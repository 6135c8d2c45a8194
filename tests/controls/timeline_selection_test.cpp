// The selection's arithmetic: Shift+arrows from the cursor's side, the drag's scroll speed,
// the columns its band covers.
#include <gtest/gtest.h>
#include "controls/timeline_selection.h"

using timeline::Selection;

TEST(TimelineSelection, ShiftArrowsMoveTheEndAwayFromTheCursorAndStayInTheClip) {
    Selection s = timeline::StepSelection({}, 1000, +1, 200, 5000);
    EXPECT_EQ(s, (Selection{1000, 1200}));
    s = timeline::StepSelection(s, 1000, -1, 200, 5000);  // shrinks back to nothing
    EXPECT_TRUE(s.Empty());
    s = timeline::StepSelection(s, 1000, -1, 200, 5000);  // then grows to the left
    EXPECT_EQ(s, (Selection{800, 1000}));
    EXPECT_EQ(timeline::StepSelection({4900, 5000}, 4900, +1, 200, 5000), (Selection{4900, 5000}));
    EXPECT_EQ(timeline::StepSelection({0, 100}, 100, -1, 200, 5000), (Selection{0, 100}));
}

TEST(TimelineSelection, DragScrollsOnlyBeyondAnEdgeFasterFartherOut) {
    EXPECT_EQ(timeline::DragScrollMs(0, 266, 200), 0);
    EXPECT_EQ(timeline::DragScrollMs(265, 266, 200), 0);
    EXPECT_EQ(timeline::DragScrollMs(266, 266, 200), 200);
    EXPECT_EQ(timeline::DragScrollMs(-3, 266, 200), -600);
    EXPECT_EQ(timeline::DragScrollMs(5000, 266, 200), timeline::DragScrollMs(400, 266, 200));
}

TEST(TimelineSelection, BandCoversEveryColumnTheStretchTouches) {
    const timeline::Columns band = timeline::SelectionColumns({12100, 20000}, 0, 200, 266);
    EXPECT_EQ(band.first, 60);
    EXPECT_EQ(band.last, 100);
    const timeline::Columns cut = timeline::SelectionColumns({0, 999999}, 10000, 200, 266);
    EXPECT_EQ(cut.first, 0);
    EXPECT_EQ(cut.last, 266);
    const timeline::Columns none = timeline::SelectionColumns({0, 5000}, 10000, 200, 266);
    EXPECT_GE(none.first, none.last);
}
