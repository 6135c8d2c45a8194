// The time indicator: the position it is told, drawn as minutes, seconds and hundredths.
#include <gtest/gtest.h>
#include <cwchar>
#include "controls/control_messages.h"
#include "controls/gdi_resources.h"
#include "controls/time_ind.h"
#include "framework/offscreen_draw.h"
#include "res/bitmap_ids.h"
#include "small_controls_fixture.h"
#include "test_support.h"

namespace {

// The time indicator's text, compared with the expected text drawn the same way: over
// the face, through an off-screen bitmap, with the control's font.
bool ShowsTime(CTimeInd& ind, const wchar_t* expected) {
    test::Capture shown(ind, 53, 18);
    test::Capture reference(ind, 53, 18);
    HFONT font = controls::CreatePointFont(controls::kControlFontTenths, controls::kControlFontFace);
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
