// The custom scroll bar inside a host window, driven by mouse messages.
#include <gtest/gtest.h>
#include "controls/control_messages.h"
#include "controls/custom_scroll_bar.h"
#include "framework/app_module.h"
#include "test_support.h"

namespace {

constexpr int kW = 266;
constexpr uint32_t kPage = 53200;

class ScrollBar : public ::testing::Test {
protected:
    void SetUp() override {
        g_module.Init(GetModuleHandleW(nullptr));
        ASSERT_NE(host.CreateHost(), nullptr);
        ASSERT_NE(bar.Create(host, RECT{0, 0, kW, 9}, nullptr, WS_CHILD | WS_VISIBLE), nullptr);
        bar.SetPage(kPage);
        test::Pump();
        host.ClearLog();
    }
    // The positions the bar has posted to its parent since the last call.
    std::vector<LPARAM> Posted() {
        test::Pump();
        std::vector<LPARAM> out;
        for (const auto& m : host.Log())
            if (m.msg == WM_SCROLL_POSITION_CHANGED) out.push_back(m.lParam);
        host.ClearLog();
        return out;
    }
    void Press(int x) { bar.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 4)); }
    void Move(int x) { bar.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(static_cast<WORD>(x), 4)); }
    void Release(int x) { bar.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(static_cast<WORD>(x), 4)); }

    test::HostWindow host;
    CCustomScrollBar bar;
};

TEST_F(ScrollBar, TenMinuteClipGivesA21PixelThumbAndArrowStepsOf2704) {
    bar.SetRange(600000);
    EXPECT_EQ(bar.GetTrackWidth(), 244);
    EXPECT_EQ(bar.GetThumbWidth(), 21);
    bar.SetPos(10000);
    Posted();
    bar.SendMessage(WM_COMMAND, 0, reinterpret_cast<LPARAM>(bar.GetRightArrow()));
    EXPECT_EQ(bar.GetPos(), 12704u);
    bar.SendMessage(WM_COMMAND, 0, reinterpret_cast<LPARAM>(bar.GetLeftArrow()));
    EXPECT_EQ(bar.GetPos(), 10000u);
    EXPECT_EQ(Posted(), (std::vector<LPARAM>{12704, 10000}));
}

TEST_F(ScrollBar, OneMinuteClipGivesA216PixelThumbAndArrowStepsOf270) {
    bar.SetRange(60000);
    EXPECT_EQ(bar.GetThumbWidth(), 216);
    bar.SendMessage(WM_COMMAND, 0, reinterpret_cast<LPARAM>(bar.GetRightArrow()));
    EXPECT_EQ(bar.GetPos(), 270u);
}

TEST_F(ScrollBar, ClipWithinOnePageShowsNoThumbAndIgnoresPresses) {
    bar.SetRange(53200);
    test::Capture c(bar, kW, 9);
    for (int x = 11; x < kW - 11; ++x) EXPECT_NE(c.At(x, 4), 0u) << x;  // no black thumb body
    const uint32_t track = c.At(100, 4);
    EXPECT_EQ(c.At(20, 4), track);
    Press(100);
    Release(100);
    bar.SendMessage(WM_COMMAND, 0, reinterpret_cast<LPARAM>(bar.GetRightArrow()));
    EXPECT_EQ(bar.GetPos(), 0u);
    EXPECT_TRUE(Posted().empty());
}

TEST_F(ScrollBar, ThumbIsDrawnFromItsThreeColumnImage) {
    bar.SetRange(600000);
    bar.SetPos(100000);  // thumb left 51, width 21
    const test::BitmapPixels thumb = test::ReadBitmapResource(178);
    ASSERT_EQ(thumb.width, 3);
    test::Capture c(bar, kW, 9);
    for (int y = 0; y < 9; ++y) {
        EXPECT_EQ(c.At(51, y), thumb.At(0, y));
        EXPECT_EQ(c.At(60, y), thumb.At(1, y));
        EXPECT_EQ(c.At(71, y), thumb.At(2, y));
    }
    EXPECT_NE(c.At(50, 4), thumb.At(0, 4));
}

TEST_F(ScrollBar, SetPosClampsToRangeMinusPageAndPostsEveryCall) {
    bar.SetRange(600000);
    bar.SetPos(100000);
    EXPECT_EQ(bar.GetPos(), 100000u);
    bar.SetPos(590000);
    EXPECT_EQ(bar.GetPos(), 546800u);
    bar.SetPos(546800);
    EXPECT_EQ(Posted(), (std::vector<LPARAM>{100000, 546800, 546800}));
}

TEST_F(ScrollBar, RangeBelowThePageKeepsThePosition) {
    bar.SetRange(40000);
    bar.SetPos(5000);
    EXPECT_EQ(bar.GetPos(), 5000u);
    bar.SetRange(600000);
    bar.SetPos(100000);
    bar.SetRange(60000);  // a smaller range does not move the position by itself
    EXPECT_EQ(bar.GetPos(), 100000u);
}

TEST_F(ScrollBar, PageClicksLeftAndRightOfTheThumb) {
    bar.SetRange(600000);
    bar.SetPos(100000);  // thumb 51..71
    Press(30);
    EXPECT_EQ(bar.GetPos(), 100000u - kPage);
    Press(15);  // the thumb now starts at column 30
    EXPECT_EQ(bar.GetPos(), 0u);  // 46800 - 53200 stops at 0
    Press(200);
    EXPECT_EQ(bar.GetPos(), kPage);
}

TEST_F(ScrollBar, DragFollowsThePointerAndStopsAtBothEnds) {
    bar.SetRange(600000);
    bar.SetPos(100000);
    Press(60);
    EXPECT_EQ(GetCapture(), bar.m_hWnd);
    Move(70);
    EXPECT_EQ(bar.GetPos(), 100000u + 24590);
    Move(-100);  // far left: below 0 gives 0
    EXPECT_EQ(bar.GetPos(), 0u);
    Move(400);  // far right: stops at range - page
    EXPECT_EQ(bar.GetPos(), 600000u - kPage);
    Release(400);
    EXPECT_NE(GetCapture(), bar.m_hWnd);
    Move(300);  // no longer dragging
    EXPECT_EQ(bar.GetPos(), 600000u - kPage);
}

TEST_F(ScrollBar, LostCaptureEndsTheDrag) {
    bar.SetRange(600000);
    Press(15);
    ReleaseCapture();
    Move(100);
    EXPECT_EQ(bar.GetPos(), 0u);
}

TEST_F(ScrollBar, LeftArrowAtOneSecondGivesZero) {
    bar.SetRange(600000);
    bar.SetPos(1000);
    bar.SendMessage(WM_COMMAND, 0, reinterpret_cast<LPARAM>(bar.GetLeftArrow()));
    EXPECT_EQ(bar.GetPos(), 0u);
}

TEST_F(ScrollBar, ArrowButtonClickedWithTheMouseSteps) {
    bar.SetRange(600000);
    HWND right = bar.GetRightArrow();
    SendMessageW(right, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 4));
    SendMessageW(right, WM_LBUTTONUP, 0, MAKELPARAM(5, 4));
    EXPECT_EQ(bar.GetPos(), 2704u);
}

TEST_F(ScrollBar, ThumbTurnsHotUnderThePointer) {
    bar.SetRange(600000);
    bar.SetPos(100000);
    const test::BitmapPixels hot = test::ReadBitmapResource(179);
    const test::BitmapPixels normal = test::ReadBitmapResource(178);
    ASSERT_NE(hot.At(1, 4), normal.At(1, 4));
    Move(60);
    EXPECT_EQ(test::Capture(bar, kW, 9).At(60, 4), hot.At(1, 4));
    Move(150);
    EXPECT_EQ(test::Capture(bar, kW, 9).At(60, 4), normal.At(1, 4));
}

}  // namespace
