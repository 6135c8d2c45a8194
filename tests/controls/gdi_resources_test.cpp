// The controls' shared GDI resources.
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
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

namespace {

// What `draw` leaves in a 32-bit memory bitmap of one grey image's size.
template <class Draw>
std::vector<DWORD> DrawnPixels(int size, Draw&& draw) {
    BITMAPINFO info{};
    info.bmiHeader = BITMAPINFOHEADER{sizeof info.bmiHeader, size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP target = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, target);
    PatBlt(dc, 0, 0, size, size, WHITENESS);
    draw(dc);
    GdiFlush();
    std::vector<DWORD> pixels(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + size * size);
    SelectObject(dc, old);
    DeleteObject(target);
    DeleteDC(dc);
    return pixels;
}

}  // namespace

// The buttons' faces are copied straight from the list's pixels; the result must be the list's
// own drawing, for opaque images and for images with alpha, which the list blends.
TEST(ListImage, DrawsAsTheImageListDoes) {
    constexpr int kSize = 8;
    HIMAGELIST list = ImageList_Create(kSize, kSize, ILC_COLOR32, 3, 0);
    ASSERT_NE(list, nullptr);
    for (DWORD pixel : {0x00336699u, 0x80204060u, 0x00996633u}) {  // the second is half transparent
        std::vector<DWORD> image(kSize * kSize, pixel);
        image[3] = pixel ^ 0x00ffffffu;  // one odd pixel shows a flipped or shifted copy
        BITMAPINFO info{};
        info.bmiHeader = BITMAPINFOHEADER{sizeof info.bmiHeader, kSize, -kSize, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        std::copy(image.begin(), image.end(), static_cast<DWORD*>(bits));
        ASSERT_GE(ImageList_Add(list, bitmap, nullptr), 0);
        DeleteObject(bitmap);
    }
    for (int index = 0; index < 3; ++index) {
        const auto ours = DrawnPixels(kSize, [&](HDC dc) { controls::DrawListImage(list, index, dc, 0, 0); });
        const auto theirs = DrawnPixels(kSize, [&](HDC dc) { ImageList_Draw(list, index, dc, 0, 0, ILD_NORMAL); });
        EXPECT_EQ(ours, theirs) << "image " << index;
    }
    ImageList_Destroy(list);
}
