// Flicker-free painting: the control draws into a memory bitmap in client coordinates,
// which is then copied to the screen (or to a WM_PRINTCLIENT context) in one block.
#pragma once
#include <windows.h>

namespace framework {
// Calls draw(memoryDc) with a bitmap covering `area` of `target` and copies it back.
template <class Draw>
void PaintOffscreen(HDC target, const RECT& area, Draw&& draw) {
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (w <= 0 || h <= 0) return;
    HDC mem = ::CreateCompatibleDC(target);
    HBITMAP bitmap = ::CreateCompatibleBitmap(target, w, h);
    HGDIOBJ oldBitmap = ::SelectObject(mem, bitmap);
    ::SetWindowOrgEx(mem, area.left, area.top, nullptr);
    draw(mem);
    ::BitBlt(target, area.left, area.top, w, h, mem, area.left, area.top, SRCCOPY);
    ::SelectObject(mem, oldBitmap);
    ::DeleteObject(bitmap);
    ::DeleteDC(mem);
}
}  // namespace framework

// Mixin for a CWindowImpl: chain its map with CHAIN_MSG_MAP(COffscreenDraw<T>) and give
// T a `void DoPaint(HDC)`.
template <class T>
class COffscreenDraw {
public:
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM, LRESULT& lResult,
                              DWORD = 0) {
        switch (uMsg) {
        case WM_ERASEBKGND:
            lResult = 1;  // everything is painted in WM_PAINT
            return TRUE;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(hWnd, &ps);
            // Only the invalid part is drawn and copied: the controls invalidate what changed.
            RECT client, area;
            ::GetClientRect(hWnd, &client);
            if (::IntersectRect(&area, &client, &ps.rcPaint))
                framework::PaintOffscreen(dc, area, [this](HDC mem) { static_cast<T*>(this)->DoPaint(mem); });
            ::EndPaint(hWnd, &ps);
            lResult = 0;
            return TRUE;
        }
        case WM_PRINTCLIENT: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            RECT box;
            ::GetClipBox(dc, &box);
            framework::PaintOffscreen(dc, box, [this](HDC mem) { static_cast<T*>(this)->DoPaint(mem); });
            lResult = 0;
            return TRUE;
        }
        default:
            return FALSE;
        }
    }
};
