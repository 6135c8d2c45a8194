// The time line drawn through WM_PRINTCLIENT and driven by messages.
#include <gtest/gtest.h>
#include <set>
#include "controls/control_messages.h"
#include "controls/time_line_ctrl.h"
#include "framework/app_module.h"
#include "test_support.h"

namespace {

constexpr int kW = 266, kH = 90, kY0 = kH - 22;
constexpr uint32_t kBackground = 0xDADADA;
constexpr uint32_t kClipFill = test::Rgb(0xD4C4AC);
constexpr uint32_t kGridInside = test::Rgb(0xB8A890);
constexpr uint32_t kGridBeyond = test::Rgb(0xADADAD);
constexpr uint32_t kBlack = 0x000000;

class TimeLine : public ::testing::Test {
protected:
    void SetUp() override {
        g_module.Init(GetModuleHandleW(nullptr));
        ASSERT_NE(host.CreateHost(), nullptr);
        ASSERT_NE(line.Create(host, RECT{10, 10, 10 + kW, 10 + kH}), nullptr);
        test::Pump();
        host.ClearLog();
    }
    // Scrolls the view as the scroll bar would and lets its notice arrive.
    void ViewAt(uint32_t viewStart) {
        line.ScrollBar().SetPos(viewStart);
        test::Pump();
        ASSERT_EQ(line.GetViewStart(), viewStart);
    }
    bool ColumnHasInk(const test::Capture& c, int x, int yFrom, int yTo) {
        for (int y = yFrom; y < yTo; ++y)
            if (IsInk(c.At(x, y))) return true;
        return false;
    }
    // Text may be smoothed: any dark pixel counts.
    static bool IsInk(uint32_t rgb) { return (rgb & 0xFF) < 0x90 && ((rgb >> 8) & 0xFF) < 0x90; }
    test::HostWindow host;
    CTimeLineCtrl line;
};

TEST_F(TimeLine, ViewStartZeroShowsALongTickAndItsLabelAtColumnZero) {
    line.SetLength(600000);
    test::Capture c(line, kW, kH);
    EXPECT_EQ(c.At(0, kY0 + 1), kBlack);
    EXPECT_EQ(c.At(0, kY0 + 11), kBlack);
    EXPECT_NE(c.At(0, kY0 + 12), kBlack);
    EXPECT_EQ(c.At(5, kY0 + 1), kBlack);    // one second: short tick
    EXPECT_EQ(c.At(5, kY0 + 6), kBlack);
    EXPECT_NE(c.At(5, kY0 + 7), kBlack);
    EXPECT_NE(c.At(3, kY0 + 1), kBlack);    // no tick between seconds
    EXPECT_EQ(c.At(50, kY0 + 11), kBlack);  // 00:10
    EXPECT_TRUE(ColumnHasInk(c, 1, kY0 + 12, kH) || ColumnHasInk(c, 2, kY0 + 12, kH));  // "00:00" text
}

TEST_F(TimeLine, ScrolledTwelveSecondsTheNextLongTickIsAtColumn40WithTheTailOfTheLastLabel) {
    line.SetLength(600000);
    ViewAt(12000);
    test::Capture c(line, kW, kH);
    EXPECT_EQ(c.At(40, kY0 + 11), kBlack);
    EXPECT_EQ(c.At(40, kY0 + 1), kBlack);
    EXPECT_EQ(c.At(0, kY0 + 6), kBlack);  // 12 s: a short tick
    EXPECT_NE(c.At(0, kY0 + 8), kBlack);
}

TEST_F(TimeLine, TheTailOfTheLastLabelIsDrawnFromMinusEleven) {
    line.SetLength(600000);
    // The right end of the label text left of column 36 (where the next label begins).
    auto lastInkColumn = [&](const test::Capture& c) {
        int last = -1;
        for (int x = 0; x < 36; ++x)
            if (ColumnHasInk(c, x, kY0 + 12, kH)) last = x;
        return last;
    };
    ViewAt(10000);  // "00:10" whole, drawn from column -1
    const int whole = lastInkColumn(test::Capture(line, kW, kH));
    ViewAt(12000);  // its tail, drawn from column -11
    const int tail = lastInkColumn(test::Capture(line, kW, kH));
    ASSERT_GT(whole, 10);
    EXPECT_EQ(tail, whole - 10);
}

TEST_F(TimeLine, ClipFillEndsAtTheLengthAndTheGridChangesColourThere) {
    line.SetLength(30000);  // 150 columns
    test::Capture c(line, kW, kH);
    EXPECT_EQ(c.At(149, 20), kClipFill);
    EXPECT_EQ(c.At(151, 20), kBackground);
    EXPECT_EQ(c.At(150, 20), kGridBeyond);  // 30 s: the first grid line beyond the clip
    EXPECT_EQ(c.At(50, 20), kGridInside);   // 10 s grid line inside the clip
    EXPECT_EQ(c.At(200, 20), kGridBeyond);  // 40 s grid line beyond it
    EXPECT_EQ(c.At(200, kY0 - 1), kGridBeyond);
}

TEST_F(TimeLine, CursorColumn) {
    line.SetLength(600000);
    line.SetPosition(12345);  // column 61
    test::Pump();
    test::Capture c(line, kW, kH);
    EXPECT_EQ(c.At(61, 20), kBlack);
    EXPECT_EQ(c.At(61, kY0 - 1), kBlack);
    EXPECT_EQ(c.At(62, 20), kClipFill);
    EXPECT_EQ(c.At(60, 20), kClipFill);
}

TEST_F(TimeLine, EmptyClipDrawsNoFillAndTheCursorAtColumnZero) {
    line.SetSpots({0, 1000});
    test::Capture c(line, kW, kH);
    EXPECT_EQ(c.At(0, 20), kBlack);
    EXPECT_EQ(c.At(1, 20), kBackground);
    EXPECT_EQ(c.At(5, kY0 - 3), kBackground);  // no marker for a spot beyond the length
}

TEST_F(TimeLine, SpotMarkerShapeWithItsBlackCornersLeavingTheBackground) {
    line.SetLength(600000);
    line.SetPosition(599999);  // keep the cursor out of the way
    test::Pump();
    ViewAt(0);
    line.SetSpots({23000});  // column 115, marker columns 111 to 119, clear of grid lines
    const test::BitmapPixels marker = test::ReadBitmapResource(158);
    ASSERT_EQ(marker.width, 9);
    test::Capture c(line, kW, kH);
    const int left = 115 - 4, top = kY0 - 6;
    const int spans[6][2] = {{0, 8}, {0, 8}, {0, 8}, {1, 7}, {2, 6}, {3, 5}};
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 9; ++x) {
            const bool inside = spans[y][0] <= x && x <= spans[y][1];
            if (inside)
                EXPECT_EQ(c.At(left + x, top + y), marker.At(x, y)) << x << "," << y;
            else
                EXPECT_EQ(c.At(left + x, top + y), kClipFill) << x << "," << y;
        }
    EXPECT_EQ(c.At(left + 4, top + 5), 0x073D01u);  // the tip, dark green outline
    EXPECT_EQ(c.At(left + 4, top + 2), 0x18FF00u);  // bright green inside
    EXPECT_EQ(c.At(left - 1, top + 2), kClipFill);
    EXPECT_NE(c.At(left + 4, top + 6), 0x18FF00u);   // the ruler starts below the tip
}

TEST_F(TimeLine, SpotAtTheViewStartIsDrawnFromMinusFourAndOneAtTheViewEndIsNot) {
    line.SetLength(600000);
    line.SetPosition(599999);
    test::Pump();
    ViewAt(12000);
    line.SetSpots({12000, 12000 + kW * 200});
    test::Capture c(line, kW, kH);
    const int top = kY0 - 6;
    EXPECT_EQ(c.At(0, top + 2), 0x18FF00u);   // marker column 4: centre
    const test::BitmapPixels marker = test::ReadBitmapResource(158);
    EXPECT_EQ(c.At(4, top), marker.At(8, 0));  // marker column 8: right end of the top row
    EXPECT_EQ(c.At(5, top), kClipFill);
    for (int x = kW - 5; x < kW; ++x)
        for (int y = top; y < kY0; ++y) EXPECT_NE(c.At(x, y), 0x18FF00u) << x << "," << y;
}

TEST_F(TimeLine, SetPositionClampsAndNotifiesTheLinkedWindowThenTheParent) {
    std::vector<test::LoggedMessage> log;
    test::HostWindow parent(&log), linked(&log);
    ASSERT_NE(parent.CreateHost(), nullptr);
    ASSERT_NE(linked.CreateHost(), nullptr);
    CTimeLineCtrl own;
    ASSERT_NE(own.Create(parent, RECT{0, 0, kW, kH}), nullptr);
    own.SetLinkedWindow(linked);
    own.SetLength(1000);
    test::Pump();
    log.clear();

    const int32_t requests[] = {-5, 1000, 400, 400};
    const LPARAM expected[] = {0, 999, 400, 400};
    for (int i = 0; i < 4; ++i) {
        own.SetPosition(requests[i]);
        test::Pump();
        std::vector<test::LoggedMessage> positions;
        for (const auto& m : log)
            if (m.msg == WM_POSITION_CHANGED) positions.push_back(m);
        ASSERT_EQ(positions.size(), 2u) << "request " << requests[i];
        EXPECT_EQ(positions[0].to, linked.m_hWnd);
        EXPECT_EQ(positions[1].to, parent.m_hWnd);
        EXPECT_EQ(positions[0].lParam, expected[i]);
        EXPECT_EQ(positions[1].lParam, expected[i]);
        EXPECT_EQ(own.GetPosition(), static_cast<uint32_t>(expected[i]));
        log.clear();
    }
    own.SetLength(0);
    own.SetPosition(300);
    EXPECT_EQ(own.GetPosition(), 0u);
}

TEST_F(TimeLine, SetLengthClampsThePositionWithoutNotifying) {
    line.SetLength(600000);
    line.SetPosition(500000);
    test::Pump();
    host.ClearLog();
    line.SetLength(1000);
    test::Pump();
    EXPECT_EQ(line.GetPosition(), 999u);
    EXPECT_TRUE(host.Log().empty());
    EXPECT_EQ(line.ScrollBar().GetRange(), 1000u);
}

TEST_F(TimeLine, ClickAtColumn100MovesTo20Seconds) {
    line.SetLength(600000);
    line.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 40));
    line.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(100, 40));
    test::Pump();
    EXPECT_EQ(line.GetPosition(), 20000u);
    ASSERT_FALSE(host.Log().empty());
    EXPECT_EQ(host.Log().back().lParam, 20000);

    line.SetLength(15000);
    line.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 40));
    EXPECT_EQ(line.GetPosition(), 14999u);
}

TEST_F(TimeLine, PositionBeyondThePageScrollsTheCursorToTheRightEdge) {
    line.SetLength(600000);
    line.SetPosition(100000);
    test::Pump();
    EXPECT_EQ(line.GetViewStart(), 100000u - 53200 + 1);
    test::Capture c(line, kW, kH);
    EXPECT_EQ(c.At(kW - 1, 20), kBlack);

    line.SetPosition(5000);  // left of the view: the cursor becomes the left edge
    test::Pump();
    EXPECT_EQ(line.GetViewStart(), 5000u);
    line.SetPosition(599999);  // near the end the scroll bar stops at range - page
    test::Pump();
    EXPECT_EQ(line.GetViewStart(), 600000u - 53200);
}

TEST_F(TimeLine, DragSelectsFromThePressAndAShortMoveIsStillAClick) {
    line.SetLength(600000);
    line.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 40));
    line.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(101, 40));  // within the drag distance
    EXPECT_TRUE(line.GetSelection().Empty());
    line.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(60, 40));
    line.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(60, 40));
    EXPECT_EQ(line.GetSelection().start, 12000u);
    EXPECT_EQ(line.GetSelection().end, 20000u);
    EXPECT_EQ(line.GetPosition(), 20000u);  // the cursor stays where the press was
    // The band tints the fill and leaves the ruler and what lies outside it alone.
    test::Capture c(line, kW, kH);
    EXPECT_NE(c.At(80, 30), kClipFill);
    EXPECT_EQ(c.At(40, 30), kClipFill);
    EXPECT_EQ(c.At(120, 30), kClipFill);
    // A plain click clears it; Shift+click selects from the cursor, which stays.
    line.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 40));
    line.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(30, 40));
    EXPECT_TRUE(line.GetSelection().Empty());
    line.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(50, 40));
    EXPECT_EQ(line.GetSelection().start, 6000u);
    EXPECT_EQ(line.GetSelection().end, 10000u);
    EXPECT_EQ(line.GetPosition(), 6000u);
    // Shift+Left and Shift+Right move the end away from the cursor, a column at a time: the
    // selection shrinks to nothing and grows on the other side.
    line.ClearSelection();
    line.StepSelection(+1);
    EXPECT_EQ(line.GetSelection().end, 6200u);
    line.StepSelection(-1);
    EXPECT_TRUE(line.GetSelection().Empty());
    line.StepSelection(-1);
    EXPECT_EQ(line.GetSelection().start, 5800u);
    EXPECT_EQ(line.GetSelection().end, 6000u);
}

TEST_F(TimeLine, DraggingPastTheRightEdgeScrollsTheViewAndTheSelectionFollows) {
    line.SetLength(600000);
    line.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 40));
    line.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(kW + 20, 40));
    ASSERT_TRUE(test::PumpUntil([&] { return line.GetViewStart() > 0; }));
    EXPECT_GT(line.GetSelection().end, 53200u);
    line.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(kW + 20, 40));
    const uint32_t view = line.GetViewStart();
    test::PumpUntil([] { return false; }, 200);  // nothing scrolls once released
    EXPECT_EQ(line.GetViewStart(), view);
    EXPECT_EQ(line.GetSelection().start, 2000u);
}

TEST_F(TimeLine, KeysAndMouseMovesAreSwallowed) {
    line.SetLength(600000);
    EXPECT_EQ(line.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 30)), 0);
    EXPECT_EQ(line.SendMessage(WM_CHAR, L'a', 0), 0);
    EXPECT_EQ(line.GetPosition(), 0u);
    EXPECT_EQ(line.SendMessage(WM_ERASEBKGND, 0, 0), 1);
}

}  // namespace
