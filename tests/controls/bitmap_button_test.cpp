// Bitmap buttons: press logic, the image of each state, the tooltip.
#include <gtest/gtest.h>
#include <string>
#include "controls/bitmap_button.h"
#include "controls/gdi_resources.h"
#include "framework/app_module.h"
#include "res/bitmap_ids.h"
#include "test_support.h"

namespace {

constexpr int kW = 41, kH = 34, kId = 1002;

class BitmapButton : public ::testing::Test {
protected:
    void SetUp() override {
        g_module.Init(GetModuleHandleW(nullptr));
        ASSERT_NE(host.CreateHost(), nullptr);
        ASSERT_NE(button.Create(host, RECT{20, 20, 20 + kW, 20 + kH}, L"Play", WS_CHILD | WS_VISIBLE, 0, kId),
                  nullptr);
        button.SetBitmapButtonExtendedStyle(BMPBTN_HOVER);
        button.SetImageList(controls::CreateImageStrip(IDB_BTN_PLAY, kW, kH, 8));
        button.SetImages(0, 2, 1, 3);
        test::Pump();
        host.ClearLog();
    }
    int Clicks() {
        test::Pump();
        int n = 0;
        for (const auto& m : host.Log())
            if (m.msg == WM_COMMAND && LOWORD(m.wParam) == kId && HIWORD(m.wParam) == BN_CLICKED &&
                m.lParam == reinterpret_cast<LPARAM>(button.m_hWnd))
                ++n;
        return n;
    }
    // The centre pixel of image `index` of the strip, and of what the button shows.
    uint32_t ImagePixel(int index, int x, int y) {
        test::BitmapPixels strip = test::ReadBitmapResource(IDB_BTN_PLAY);
        return strip.At(index * kW + x, y);
    }
    uint32_t Shown(int x, int y) { return test::Capture(button, kW, kH).At(x, y); }
    bool ShowsImage(int index) {
        for (int y = 0; y < kH; y += 3)
            for (int x = 0; x < kW; x += 3)
                if (Shown(x, y) != ImagePixel(index, x, y)) return false;
        return true;
    }
    void Send(UINT msg, int x, int y) {
        button.SendMessage(msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                           MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
    }

    test::HostWindow host;
    CBitmapButton button;
};

TEST_F(BitmapButton, IsAnOwnerDrawnSuperclassOfTheSystemButton) {
    wchar_t name[64] = L"";
    GetClassNameW(button, name, 64);
    EXPECT_EQ(std::wstring(name), L"WTL_BitmapButton");
    EXPECT_EQ(GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
}

TEST_F(BitmapButton, ImagesDiffer) {
    // Guards the tests below: each state has an image of its own.
    EXPECT_NE(ImagePixel(0, 3, 17), ImagePixel(1, 3, 17));
    EXPECT_NE(ImagePixel(0, 3, 17), ImagePixel(2, 3, 17));
    EXPECT_NE(ImagePixel(0, 3, 17), ImagePixel(3, 3, 17));
    EXPECT_NE(ImagePixel(3, 3, 17), ImagePixel(7, 20, 17));
}

TEST_F(BitmapButton, PressAndReleaseInsideSendsOneCommand) {
    EXPECT_TRUE(ShowsImage(0));
    Send(WM_LBUTTONDOWN, 10, 10);
    EXPECT_TRUE(ShowsImage(2));
    Send(WM_LBUTTONUP, 10, 10);
    EXPECT_EQ(Clicks(), 1);
    EXPECT_NE(GetCapture(), button.m_hWnd);
}

TEST_F(BitmapButton, ReleasedOutsideSendsNothing) {
    Send(WM_LBUTTONDOWN, 10, 10);
    Send(WM_MOUSEMOVE, 100, 10);
    EXPECT_FALSE(ShowsImage(2));
    Send(WM_LBUTTONUP, 100, 10);
    EXPECT_EQ(Clicks(), 0);
}

TEST_F(BitmapButton, MovingBackInsideBeforeReleaseSendsTheCommand) {
    Send(WM_LBUTTONDOWN, 10, 10);
    Send(WM_MOUSEMOVE, -20, 10);
    Send(WM_MOUSEMOVE, 12, 12);
    EXPECT_TRUE(ShowsImage(2));
    Send(WM_LBUTTONUP, 12, 12);
    EXPECT_EQ(Clicks(), 1);
}

TEST_F(BitmapButton, SpaceBarDoesNotPressIt) {
    SetFocus(button);
    button.SendMessage(WM_KEYDOWN, VK_SPACE, 0);
    button.SendMessage(WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(Clicks(), 0);
}

TEST_F(BitmapButton, DisabledShowsTheDisabledImageOfEachFace) {
    button.EnableWindow(FALSE);
    EXPECT_TRUE(ShowsImage(3));
    button.SetImages(4, 6, 5, 7);
    EXPECT_TRUE(ShowsImage(7));
    button.EnableWindow(TRUE);
    EXPECT_TRUE(ShowsImage(4));
}

TEST_F(BitmapButton, HoverImageWhileThePointerIsOver) {
    Send(WM_MOUSEMOVE, 5, 5);
    EXPECT_TRUE(ShowsImage(1));
    button.SendMessage(WM_MOUSELEAVE, 0, 0);
    EXPECT_TRUE(ShowsImage(0));
}

TEST_F(BitmapButton, HoverFollowsTheRealPointer) {
    RECT r;
    GetWindowRect(button, &r);
    SetForegroundWindow(GetAncestor(host, GA_ROOT));
    test::MovePointerTo(r.left + 10, r.top + 10);
    EXPECT_TRUE(test::PumpUntil([&] { return ShowsImage(1); }));
    test::MovePointerTo(r.right + 100, r.bottom + 100);
    EXPECT_TRUE(test::PumpUntil([&] { return ShowsImage(0); }));
}

TEST_F(BitmapButton, MissingIndicesFallBackToTheNormalImage) {
    button.SetImages(0);
    Send(WM_LBUTTONDOWN, 10, 10);
    EXPECT_TRUE(ShowsImage(0));
    Send(WM_LBUTTONUP, 10, 10);
}

std::wstring TipText(HWND tip, HWND button) {
    wchar_t text[128] = L"";
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = GetParent(button);
    ti.uId = reinterpret_cast<UINT_PTR>(button);
    ti.lpszText = text;
    SendMessageW(tip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&ti));
    return text;
}

TEST_F(BitmapButton, TooltipShowsItsOwnCopyOfTheText) {
    ASSERT_NE(button.GetToolTipCtrl(), nullptr);
    std::wstring text = L"Play clip";
    EXPECT_TRUE(button.SetToolTipText(text.c_str()));
    text = L"changed by the caller";
    EXPECT_EQ(TipText(button.GetToolTipCtrl(), button), L"Play clip");
    button.SetToolTipText(L"Stop playing");
    EXPECT_EQ(TipText(button.GetToolTipCtrl(), button), L"Stop playing");
    // Changing the text keeps a single tool.
    EXPECT_EQ(SendMessageW(button.GetToolTipCtrl(), TTM_GETTOOLCOUNT, 0, 0), 1);
}

BOOL CALLBACK VisibleTooltip(HWND window, LPARAM found) {
    wchar_t name[32] = L"";
    GetClassNameW(window, name, 32);
    if (lstrcmpW(name, TOOLTIPS_CLASSW) == 0 && IsWindowVisible(window)) *reinterpret_cast<HWND*>(found) = window;
    return TRUE;
}

// The tooltip window is made only once the pointer comes over the button, and then shows.
TEST_F(BitmapButton, TooltipAppearsWhenThePointerRestsOnTheButton) {
    button.SetToolTipText(L"Play clip");
    auto visibleTip = [] {
        HWND shown = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), VisibleTooltip, reinterpret_cast<LPARAM>(&shown));
        return shown;
    };
    EXPECT_EQ(FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr), nullptr);
    RECT r;
    GetWindowRect(button, &r);
    SetForegroundWindow(GetAncestor(host, GA_ROOT));
    test::MovePointerTo(r.left + 10, r.top + 10);
    ASSERT_TRUE(test::PumpUntil([&] { return visibleTip() != nullptr; }));
    EXPECT_EQ(visibleTip(), button.GetToolTipCtrl());
    EXPECT_EQ(TipText(button.GetToolTipCtrl(), button), L"Play clip");
    test::MovePointerTo(r.right + 100, r.bottom + 100);
}

TEST_F(BitmapButton, SubclassedDialogButtonTakesTheTextSetBefore) {
    HWND plain = CreateWindowExW(0, L"BUTTON", L"Open", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 100, 20, 62, 29,
                                 host, reinterpret_cast<HMENU>(1003), GetModuleHandleW(nullptr), nullptr);
    CBitmapButton open;
    open.SetToolTipText(L"Open existing audio file");
    ASSERT_TRUE(open.SubclassWindow(plain));
    EXPECT_EQ(GetWindowLongW(plain, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    EXPECT_EQ(TipText(open.GetToolTipCtrl(), plain), L"Open existing audio file");
}

}  // namespace
