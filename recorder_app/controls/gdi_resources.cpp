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
    return ::LoadBitmapW(g_module.GetResourceInstance(), MAKEINTRESOURCEW(id));
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
