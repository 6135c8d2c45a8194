// The controls' shared GDI resources.
#include <gtest/gtest.h>
#include <algorithm>
#include <string>
#include <vector>
#include "controls/gdi_resources.h"

namespace {

TEST(PointFont, SevenPointVerdanaSizedForTheScreen) {
    HFONT font = controls::CreatePointFont(controls::kControlFontTenths, controls::kControlFontFace);
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

// Faces are copied straight from the list's pixels; that must match the list's own drawing,
// for opaque images and for the half-transparent one it blends. An odd pixel shows a flip.
TEST(ListImage, DrawsAsTheImageListDoes) {
    constexpr int kSize = 8;
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), kSize, -kSize, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    auto dib = [&info](DWORD*& bits) { return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0); };
    HIMAGELIST list = ImageList_Create(kSize, kSize, ILC_COLOR32, 3, 0);
    for (DWORD pixel : {0x00336699u, 0x80204060u, 0x00996633u}) {
        DWORD* bits = nullptr;
        HBITMAP image = dib(bits);
        std::fill(bits, bits + kSize * kSize, pixel);
        bits[3] = pixel ^ 0x00ffffffu;
        ImageList_Add(list, image, nullptr);
        DeleteObject(image);
    }
    DWORD *ours = nullptr, *theirs = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP ourTarget = dib(ours), theirTarget = dib(theirs);
    for (int index = 0; index < 3; ++index) {
        SelectObject(dc, ourTarget);
        controls::DrawListImage(list, index, dc, 0, 0);
        SelectObject(dc, theirTarget);
        ImageList_Draw(list, index, dc, 0, 0, ILD_NORMAL);
        GdiFlush();
        EXPECT_EQ(std::vector<DWORD>(ours, ours + kSize * kSize), std::vector<DWORD>(theirs, theirs + kSize * kSize)) << index;
    }
    DeleteDC(dc);
    DeleteObject(ourTarget);
    DeleteObject(theirTarget);
    ImageList_Destroy(list);
}
