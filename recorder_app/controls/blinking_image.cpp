#include "blinking_image.h"
#include "gdi_resources.h"

using controls::DeleteGdiObject;

CBlinkingImage::~CBlinkingImage() {
    if (IsWindow()) ::DestroyWindow(m_hWnd);
    DeleteGdiObject(m_steady);
    DeleteGdiObject(m_blink);
}

void CBlinkingImage::SetImages(UINT steadyId, UINT blinkId) {
    DeleteGdiObject(m_steady);
    DeleteGdiObject(m_blink);
    m_steady = controls::LoadBitmapResource(steadyId);
    m_blink = controls::LoadBitmapResource(blinkId);
}

// Without a window a timer would belong to the thread, and killing one could end another
// part's thread timer of the same number.
void CBlinkingImage::StartBlinking() {
    if (!IsWindow()) return;
    ::SetTimer(m_hWnd, kBlinkTimer, m_periodMs, nullptr);
}

void CBlinkingImage::StopBlinking() {
    m_phase = true;
    if (!IsWindow()) return;
    ::KillTimer(m_hWnd, kBlinkTimer);
    RedrawNow();
}

void CBlinkingImage::DoPaint(HDC dc) {
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    HBITMAP image = m_phase ? m_steady : m_blink;
    if (image == nullptr) {
        ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    HDC source = SourceDc(dc);
    HGDIOBJ old = ::SelectObject(source, image);
    ::BitBlt(dc, 0, 0, client.right, client.bottom, source, 0, 0, SRCCOPY);
    ::SelectObject(source, old);
}

LRESULT CBlinkingImage::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    m_periodMs = 500;
    m_phase = true;
    return 0;
}

LRESULT CBlinkingImage::OnTimer(UINT, WPARAM, LPARAM, BOOL&) {
    m_phase = !m_phase;
    RedrawNow();
    return 0;
}

LRESULT CBlinkingImage::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    ::KillTimer(m_hWnd, kBlinkTimer);
    handled = FALSE;
    return 0;
}
