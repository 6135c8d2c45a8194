// Level meter, blinking image and time indicator.
#include <gtest/gtest.h>
#include <cwchar>
#include <string>
#include "controls/blinking_image.h"
#include "controls/control_messages.h"
#include "controls/gdi_resources.h"
#include "controls/time_ind.h"
#include "controls/volume_ctrl.h"
#include "framework/app_module.h"
#include "framework/offscreen_draw.h"
#include "res/bitmap_ids.h"
#include "test_support.h"

namespace {

class SmallControls : public ::testing::Test {
protected:
    void SetUp() override {
        g_module.Init(GetModuleHandleW(nullptr));
        ASSERT_NE(host.CreateHost(), nullptr);
    }
    test::HostWindow host;
};

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

// The time indicator's text, compared with the expected text drawn the same way: over
// the face, through an off-screen bitmap, with the control's font.
bool ShowsTime(CTimeInd& ind, const wchar_t* expected) {
    test::Capture shown(ind, 53, 18);
    test::Capture reference(ind, 53, 18);
    HFONT font = controls::CreatePointFont(controls::kLabelFontTenths, controls::kLabelFontFace);
    HBITMAP face = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_TIME_FACE));
    framework::PaintOffscreen(reference.Dc(), RECT{0, 0, 53, 18}, [&](HDC dc) {
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ oldBitmap = SelectObject(source, face);
        BitBlt(dc, 0, 0, 53, 18, source, 0, 0, SRCCOPY);
        SelectObject(source, oldBitmap);
        DeleteDC(source);
        HGDIOBJ oldFont = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, 0);
        TextOutW(dc, 2, 3, expected, static_cast<int>(wcslen(expected)));
        SelectObject(dc, oldFont);
    });
    DeleteObject(face);
    DeleteObject(font);
    GdiFlush();
    int differing = 0, dark = 0;
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 53; ++x) {
            differing += shown.At(x, y) != reference.At(x, y);
            dark += (shown.At(x, y) & 0xFF) < 0x80;
        }
    return differing == 0 && dark > 10;
}

TEST_F(SmallControls, TimeIndicatorShowsMinutesSecondsAndHundredths) {
    CTimeInd ind;
    ASSERT_NE(ind.Create(host, RECT{10, 10, 63, 28}), nullptr);
    EXPECT_TRUE(ShowsTime(ind, L"00:00:00"));
    PostMessageW(ind, WM_POSITION_CHANGED, 0, 61234);
    test::Pump();
    EXPECT_EQ(ind.GetTime(), 61234u);
    EXPECT_TRUE(ShowsTime(ind, L"01:01:23"));
    EXPECT_FALSE(ShowsTime(ind, L"01:01:24"));
    ind.SendMessage(WM_POSITION_CHANGED, 0, 6000000);
    EXPECT_TRUE(ShowsTime(ind, L"100:00:00"));
    ind.SendMessage(WM_POSITION_CHANGED, 0, 999);
    EXPECT_TRUE(ShowsTime(ind, L"00:00:99"));
}

}  // namespace

namespace {

TEST(PointFont, SevenPointVerdanaSizedForTheScreen) {
    HFONT font = controls::CreatePointFont(controls::kLabelFontTenths, controls::kLabelFontFace);
    ASSERT_NE(font, nullptr);
    LOGFONTW lf{};
    GetObjectW(font, sizeof lf, &lf);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(lf.lfHeight, -MulDiv(dpi, 70, 720));
    EXPECT_EQ(lf.lfWidth, 0);
    EXPECT_EQ(lf.lfWeight, 0);
    EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
    EXPECT_EQ(std::wstring(lf.lfFaceName), L"Verdana");
    DeleteObject(font);
}

}  // namespace
