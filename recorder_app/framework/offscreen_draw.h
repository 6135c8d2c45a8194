// Flicker-free painting: the control draws into a memory bitmap in client coordinates,
// which is then copied to the screen (or to a WM_PRINTCLIENT context) in one block.
#pragma once
#include <windows.h>
#include "window.h"

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
// T a `void DoPaint(HDC)`. The frame a paint draws into is kept for the control's life:
// under Wine every new memory context costs a request to its server and a graphics context
// on the X server, which at ten repaints a second cost more than the drawing. The controls
// keep their bitmaps selected into contexts of their own (controls::Picture) for the same
// reason.
template <class T>
class COffscreenDraw {
public:
    COffscreenDraw() = default;
    COffscreenDraw(const COffscreenDraw&) = delete;
    COffscreenDraw& operator=(const COffscreenDraw&) = delete;
    ~COffscreenDraw() { ReleaseFrame(); }

    // Draws `part` of the client (all of it when null) at once through the window's own
    // context. A control calls it for what a tick changed instead of invalidating: under Wine
    // an invalidation and its WM_PAINT cost some ten requests to the server, while the window's
    // cached context costs none, at ten ticks a second on four controls. Wine shows the drawing
    // when the thread next waits for messages. Whatever was invalidated otherwise still gets
    // its WM_PAINT.
    void DrawNow(const RECT* part = nullptr) {
        const HWND hwnd = static_cast<T*>(this)->m_hWnd;
        // A window not on screen gets its WM_PAINT for all of itself once it is shown: drawing
        // it now, before the main window's first showing above all, is work done twice.
        if (hwnd == nullptr || !::IsWindowVisible(hwnd)) return;
        RECT client, area;
        ::GetClientRect(hwnd, &client);
        if (!::IntersectRect(&area, &client, part != nullptr ? part : &client)) return;
        HDC dc = ::GetDC(hwnd);
        if (dc == nullptr) {
            ::InvalidateRect(hwnd, &area, FALSE);
            return;
        }
        PaintFrame(dc, client, area);
        ::ReleaseDC(hwnd, dc);
    }

    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM, LRESULT& lResult,
                              DWORD = 0) {
        switch (uMsg) {
        case WM_ERASEBKGND:
            lResult = 1;  // everything is painted in WM_PAINT
            return TRUE;
        case WM_NCPAINT:
            // A control without a frame has nothing outside its client area; the default
            // handling would still take and set up a window context for it, which under Wine
            // costs some ten requests to its server per paint.
            if (!framework::HasFrame(hWnd)) {
                lResult = 0;
                return TRUE;
            }
            return FALSE;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(hWnd, &ps);
            // Only the invalid part is drawn and copied: the controls invalidate what changed.
            RECT client, area;
            ::GetClientRect(hWnd, &client);
            if (::IntersectRect(&area, &client, &ps.rcPaint)) PaintFrame(dc, client, area);
            ::EndPaint(hWnd, &ps);
            lResult = 0;
            return TRUE;
        }
        case WM_NCDESTROY:
            // Before the control's destructor deletes the font the frame may still hold.
            ReleaseFrame();
            return FALSE;
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

private:
    // 32-bit colour in the control's own memory rather than a bitmap made for the screen:
    // under Wine each of those asks its server about the display, several requests a time.
    static HBITMAP FrameBitmap(HDC target, int width, int height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        return ::CreateDIBSection(target, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    }

    // Draws `area` of the client into the kept frame, clipped to it, and copies it out.
    void PaintFrame(HDC target, const RECT& client, const RECT& area) {
        if (m_frameDc == nullptr || m_frameWidth != client.right || m_frameHeight != client.bottom) {
            ReleaseFrame();
            m_frameDc = ::CreateCompatibleDC(target);
            m_frame = FrameBitmap(target, client.right, client.bottom);
            if (m_frameDc == nullptr || m_frame == nullptr) {
                ReleaseFrame();
                framework::PaintOffscreen(target, area, [this](HDC mem) { static_cast<T*>(this)->DoPaint(mem); });
                return;
            }
            m_frameOld = ::SelectObject(m_frameDc, m_frame);
            m_frameWidth = client.right;
            m_frameHeight = client.bottom;
        }
        // Only the clip is reset after: the frame keeps what DoPaint leaves selected or set in
        // it (its font above all) for the next paint, since under Wine saving and restoring a
        // context or selecting a font costs more than drawing a tick's change. DoPaint sets
        // what it depends on.
        ::IntersectClipRect(m_frameDc, area.left, area.top, area.right, area.bottom);
        static_cast<T*>(this)->DoPaint(m_frameDc);
        ::SelectClipRgn(m_frameDc, nullptr);
        ::BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top, m_frameDc, area.left,
                 area.top, SRCCOPY);
    }

    void ReleaseFrame() {
        if (m_frameDc != nullptr) {
            if (m_frameOld != nullptr) ::SelectObject(m_frameDc, m_frameOld);
            ::SelectObject(m_frameDc, ::GetStockObject(SYSTEM_FONT));  // the control's font is free to go
            ::DeleteDC(m_frameDc);
        }
        if (m_frame != nullptr) ::DeleteObject(m_frame);
        m_frameDc = nullptr;
        m_frame = nullptr;
        m_frameOld = nullptr;
        m_frameWidth = m_frameHeight = 0;
    }

    HDC m_frameDc = nullptr;
    HBITMAP m_frame = nullptr;
    HGDIOBJ m_frameOld = nullptr;
    int m_frameWidth = 0, m_frameHeight = 0;
};
