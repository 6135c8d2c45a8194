#include "time_ind.h"
#include <string>
#include "gdi_resources.h"
#include "res/bitmap_ids.h"
#include "time_text.h"

using controls::DeleteGdiObject;

namespace {
constexpr int kTextX = 2;
constexpr int kTextY = 3;
}  // namespace

CTimeInd::~CTimeInd() {
    if (IsWindow()) ::DestroyWindow(m_hWnd);
    DeleteGdiObject(m_font);
}

void CTimeInd::DoPaint(HDC dc) {
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    if (HDC face = m_face.Dc()) {
        ::BitBlt(dc, 0, 0, client.right, client.bottom, face, 0, 0, SRCCOPY);
    } else {
        ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    }
    const std::wstring text = controls::ClockText(m_time);
    controls::UseFont(dc, m_font != nullptr ? m_font : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(0, 0, 0));
    ::TextOutW(dc, kTextX, kTextY, text.c_str(), static_cast<int>(text.size()));
}

LRESULT CTimeInd::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    m_time = 0;
    m_face.Load(IDB_TIME_FACE);
    m_font = controls::CreatePointFont(controls::kControlFontTenths, controls::kControlFontFace);
    return 0;
}

LRESULT CTimeInd::OnPositionChanged(UINT, WPARAM, LPARAM lParam, BOOL&) {
    const uint32_t time = static_cast<uint32_t>(lParam);
    // The read-out shows hundredths: a change within one of them shows nothing new.
    const bool shownChanges = time / 10 != m_time / 10;
    m_time = time;
    if (shownChanges) DrawNow();
    return 0;
}

LRESULT CTimeInd::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = FALSE;
    return 0;
}
