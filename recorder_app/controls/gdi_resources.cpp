#include "gdi_resources.h"
#include <cwchar>
#include <cstdlib>
#include "framework/app_module.h"

namespace controls {

HFONT CreatePointFont(int tenths, const wchar_t* face) {
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    HDC screen = ::GetDC(nullptr);
    POINT pt{0, ::MulDiv(::GetDeviceCaps(screen, LOGPIXELSY), tenths, 720)};
    POINT origin{0, 0};
    ::DPtoLP(screen, &pt, 1);
    ::DPtoLP(screen, &origin, 1);
    ::ReleaseDC(nullptr, screen);
    lf.lfHeight = -std::abs(pt.y - origin.y);
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

}  // namespace controls
