// The controls' shared GDI resources.
#include <gtest/gtest.h>
#include <string>
#include "controls/gdi_resources.h"

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
