#include "gdi_resources.h"
#include <cwchar>
#include "framework/app_module.h"

namespace controls {

HFONT CreatePointFont(int tenths, const wchar_t* face) {
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    // A memory context answers for the screen's resolution as the screen's own does; under
    // Wine the screen's (GetDC(nullptr)) costs several requests to its server the first time.
    HDC memory = ::CreateCompatibleDC(nullptr);
    const int dpi = memory != nullptr ? ::GetDeviceCaps(memory, LOGPIXELSY) : USER_DEFAULT_SCREEN_DPI;
    if (memory != nullptr) ::DeleteDC(memory);
    lf.lfHeight = -::MulDiv(dpi, tenths, 720);
    return ::CreateFontIndirectW(&lf);
}

HBITMAP LoadBitmapResource(UINT id) {
    // Kept in the resource's own format: a bitmap made for the screen would have Wine ask its
    // server about the display several times per bitmap, at every start.
    const HINSTANCE instance = g_module.GetResourceInstance();
    auto* bitmap = static_cast<HBITMAP>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    BITMAP info{};
    if (bitmap == nullptr || ::GetObjectW(bitmap, sizeof info, &info) != sizeof info || info.bmBitsPixel > 1)
        return bitmap;
    // A mask stays a device bitmap: blitted to colour it takes the destination's text and
    // background colours, where a monochrome DIB would take its own colour table.
    ::DeleteObject(bitmap);
    return ::LoadBitmapW(instance, MAKEINTRESOURCEW(id));
}

HIMAGELIST CreateImageStrip(UINT id, int cx, int cy, int count) {
    HBITMAP strip = LoadBitmapResource(id);
    if (strip == nullptr) return nullptr;
    HIMAGELIST list = ::ImageList_Create(cx, cy, ILC_COLOR32, count, 0);
    if (list != nullptr) ::ImageList_Add(list, strip, nullptr);
    ::DeleteObject(strip);
    return list;
}

namespace {

// The memory row of image row `y`, counted from the top.
int MemoryRow(const DIBSECTION& dib, int y) { return dib.dsBmih.biHeight > 0 ? dib.dsBm.bmHeight - 1 - y : y; }

// Whether `rect` of a plain 32-bit bitmap can be copied as it stands: a 32-bit list draws an
// image whose alpha bytes are all zero as opaque and blends any other.
bool IsOpaqueColour(const DIBSECTION& dib, const RECT& rect) {
    if (dib.dsBm.bmBits == nullptr || dib.dsBmih.biBitCount != 32 || dib.dsBmih.biCompression != BI_RGB) return false;
    if (rect.left < 0 || rect.top < 0 || rect.right > dib.dsBm.bmWidth || rect.bottom > dib.dsBm.bmHeight) return false;
    const auto* bits = static_cast<const BYTE*>(dib.dsBm.bmBits);
    for (int y = rect.top; y < rect.bottom; ++y) {
        const auto* row = reinterpret_cast<const DWORD*>(bits + static_cast<size_t>(MemoryRow(dib, y)) * dib.dsBm.bmWidthBytes);
        for (int x = rect.left; x < rect.right; ++x)
            if ((row[x] >> 24) != 0) return false;
    }
    return true;
}

}  // namespace

void DrawListImage(HIMAGELIST list, int index, HDC dc, int x, int y) {
    IMAGEINFO image{};
    DIBSECTION dib{};
    ::GdiFlush();  // the list may still have drawing of its own queued for its pixels
    if (!::ImageList_GetImageInfo(list, index, &image) || image.hbmMask != nullptr ||
        ::GetObjectW(image.hbmImage, sizeof dib, &dib) != sizeof dib || !IsOpaqueColour(dib, image.rcImage)) {
        ::ImageList_Draw(list, index, dc, x, y, ILD_NORMAL);
        return;
    }
    const RECT& rect = image.rcImage;
    BITMAPINFO info{};
    info.bmiHeader = dib.dsBmih;
    info.bmiHeader.biSizeImage = 0;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    // In a bottom-up bitmap the source's y counts from the bottom row.
    const int sourceY = dib.dsBmih.biHeight > 0 ? dib.dsBm.bmHeight - rect.bottom : rect.top;
    ::StretchDIBits(dc, x, y, width, height, rect.left, sourceY, width, height, dib.dsBm.bmBits, &info,
                    DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace controls
