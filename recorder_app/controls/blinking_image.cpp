#include "blinking_image.h"

CBlinkingImage::~CBlinkingImage() {
    if (IsWindow()) ::DestroyWindow(m_hWnd);
}

void CBlinkingImage::SetImages(UINT steadyId, UINT blinkId) {
    m_steady.Load(steadyId);
    m_blink.Load(blinkId);
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
    HDC image = (m_phase ? m_steady : m_blink).Dc();
    if (image == nullptr) {
        ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    ::BitBlt(dc, 0, 0, client.right, client.bottom, image, 0, 0, SRCCOPY);
}

LRESULT CBlinkingImage::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    m_periodMs = 500;
    m_phase = true;
    return 0;
}

LRESULT CBlinkingImage::OnTimer(UINT, WPARAM, LPARAM, BOOL&) {
    m_phase = !m_phase;
    DrawNow();
    return 0;
}

LRESULT CBlinkingImage::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    ::KillTimer(m_hWnd, kBlinkTimer);
    handled = FALSE;
    return 0;
}
