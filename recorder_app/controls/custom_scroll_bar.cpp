#include "custom_scroll_bar.h"
#include <algorithm>
#include "control_messages.h"
#include "gdi_resources.h"
#include "res/bitmap_ids.h"

namespace {
constexpr int kTrackTileWidth = 32;
constexpr int kArrowImages = 4;
}  // namespace

using controls::DeleteGdiObject;

CCustomScrollBar::~CCustomScrollBar() {
    if (IsWindow()) ::DestroyWindow(m_hWnd);
}

void CCustomScrollBar::SetRange(uint32_t range) {
    const scroll::Thumb before = ShownThumb();
    m_range = range;
    if (range != 0) m_thumbWidth = scroll::TrackPixels(m_trackWidth, m_range, m_page);
    DrawThumbChange(before);
}

void CCustomScrollBar::SetPage(uint32_t page) {
    m_page = page;
    if (m_range != 0) m_thumbWidth = scroll::TrackPixels(m_trackWidth, m_range, m_page);
}

void CCustomScrollBar::SetPos(uint32_t pos) {
    const scroll::Thumb before = ShownThumb();
    m_pos = scroll::ClampPos(pos, m_range, m_page);
    // Without a window: no desktop repaint, and no post that would reach this thread instead
    // of a parent.
    if (!IsWindow()) return;
    DrawThumbChange(before);
    ::PostMessageW(::GetParent(m_hWnd), WM_SCROLL_POSITION_CHANGED, 0, static_cast<LPARAM>(m_pos));
}

scroll::Thumb CCustomScrollBar::CurrentThumb() const {
    return scroll::ThumbAt(m_pos, m_range, m_thumbWidth, m_trackWidth);
}

scroll::Thumb CCustomScrollBar::ShownThumb() const {
    return scroll::CanScroll(m_range, m_page) ? CurrentThumb() : scroll::Thumb{0, -1};
}

CCustomScrollBar::DrawOnce::~DrawOnce() {
    if (--m_bar.m_holds == 0 && m_bar.m_drawPutOff) m_bar.DrawThumbChange(m_bar.ShownThumb());
}

void CCustomScrollBar::DrawThumbChange(const scroll::Thumb& changedFrom) {
    const scroll::Thumb after = ShownThumb();
    if (after.width >= 0) m_thumbLeft = after.left;  // what the paint will find
    if (!IsWindow()) return;
    if (m_holds > 0) {
        if (!m_drawPutOff) m_shownBeforePutOff = changedFrom;
        m_drawPutOff = true;
        return;
    }
    const scroll::Thumb before = m_drawPutOff ? m_shownBeforePutOff : changedFrom;
    m_drawPutOff = false;
    if (after.left == before.left && after.width == before.width) return;
    // The columns the thumb's image covers; one of no width still draws its right edge, one
    // column left of it.
    auto columns = [](const scroll::Thumb& thumb) {
        return thumb.width < 0 ? RECT{0, 0, 0, 0}
                               : RECT{thumb.left + std::min(0, thumb.width - 1), 0,
                                      thumb.left + std::max(1, thumb.width), scroll::kBarHeight};
    };
    const RECT a = columns(before), b = columns(after);
    RECT both;
    ::UnionRect(&both, &a, &b);
    DrawNow(&both);
}

void CCustomScrollBar::CreateArrow(CBitmapButton& arrow, const RECT& rect, UINT bitmapId) {
    if (arrow.Create(m_hWnd, rect, nullptr, WS_CHILD | WS_VISIBLE, 0, 0) == nullptr) return;
    arrow.SetImageList(controls::CreateImageStrip(bitmapId, scroll::kArrowWidth, scroll::kBarHeight, kArrowImages));
    arrow.SetBitmapButtonExtendedStyle(BMPBTN_HOVER);
    arrow.SetImages(0, 2, 1, 3);
}

void CCustomScrollBar::DoPaint(HDC dc) {
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    RECT box;  // only the tiles a partial draw can show
    ::GetClipBox(dc, &box);
    if (HDC tile = m_track.Dc()) {
        for (int x = std::max(0L, box.left) / kTrackTileWidth * kTrackTileWidth; x < std::min(client.right, box.right);
             x += kTrackTileWidth)
            ::BitBlt(dc, x, 0, kTrackTileWidth, scroll::kBarHeight, tile, 0, 0, SRCCOPY);
    }
    if (scroll::CanScroll(m_range, m_page)) {
        const scroll::Thumb thumb = CurrentThumb();
        m_thumbLeft = thumb.left;
        DrawThumb(dc, thumb);
    }
}

void CCustomScrollBar::DrawThumb(HDC dc, const scroll::Thumb& thumb) {
    RECT body{thumb.left, 0, thumb.left + thumb.width, scroll::kBarHeight};
    ::FillRect(dc, &body, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    HDC source = ((m_hot || m_dragging) ? m_thumbHot : m_thumb).Dc();
    if (source == nullptr) return;
    const int h = scroll::kBarHeight;
    // The image's middle column repeated across the body, in one call: a blit per column
    // cost more than the rest of a tick's drawing.
    if (thumb.width > 2) ::StretchBlt(dc, thumb.left + 1, 0, thumb.width - 2, h, source, 1, 0, 1, h, SRCCOPY);
    ::BitBlt(dc, thumb.left, 0, 1, h, source, 0, 0, SRCCOPY);
    ::BitBlt(dc, thumb.left + thumb.width - 1, 0, 1, h, source, 2, 0, SRCCOPY);
}

LRESULT CCustomScrollBar::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const int w = client.right;
    m_range = m_page = m_pos = 0;
    m_trackWidth = w - 2 * scroll::kArrowWidth;
    m_thumbWidth = 0;
    m_dragging = m_hot = m_trackingLeave = false;
    CreateArrow(m_leftArrow, RECT{0, 0, scroll::kArrowWidth, scroll::kBarHeight}, IDB_ARROW_LEFT);
    CreateArrow(m_rightArrow, RECT{w - scroll::kArrowWidth, 0, w, scroll::kBarHeight}, IDB_ARROW_RIGHT);
    m_track.Load(IDB_SCROLL_TRACK);
    m_thumb.Load(IDB_SCROLL_THUMB);
    m_thumbHot.Load(IDB_SCROLL_THUMB_HOT);
    return 0;
}

LRESULT CCustomScrollBar::OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL&) {
    const int x = static_cast<short>(LOWORD(lParam));
    const scroll::Thumb thumb = CurrentThumb();
    m_thumbLeft = thumb.left;
    switch (scroll::ClassifyPress(x, m_range, m_page, thumb, m_trackWidth)) {
    case scroll::Press::kPageLeft:
        SetPos(scroll::StepFrom(m_pos, -static_cast<int64_t>(m_page)));
        break;
    case scroll::Press::kDrag:
        ::SetCapture(m_hWnd);
        m_lastX = x;
        m_dragging = true;
        break;
    case scroll::Press::kPageRight:
        SetPos(m_pos + m_page);
        break;
    case scroll::Press::kIgnored:
        break;
    }
    return 0;
}

LRESULT CCustomScrollBar::OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL&) {
    const int x = static_cast<short>(LOWORD(lParam));
    if (!m_trackingLeave) {
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, m_hWnd, HOVER_DEFAULT};
        m_trackingLeave = ::TrackMouseEvent(&tme) != FALSE;
    }
    if (m_dragging) {
        SetPos(scroll::StepFrom(m_pos, scroll::DragDelta(m_range, m_trackWidth, x - m_lastX)));
        m_lastX = x;
    }
    const bool hot = scroll::OverThumb(x, scroll::Thumb{m_thumbLeft, m_thumbWidth});
    if (hot != m_hot) {
        m_hot = hot;
        RedrawNow();
    }
    return 0;
}

LRESULT CCustomScrollBar::OnLButtonUp(UINT, WPARAM, LPARAM, BOOL&) {
    m_dragging = false;
    ::ReleaseCapture();
    return 0;
}

LRESULT CCustomScrollBar::OnCaptureChanged(UINT, WPARAM, LPARAM, BOOL&) {
    // Losing the capture any other way (a message box, Alt+Tab) ends the drag as well.
    m_dragging = false;
    return 0;
}

LRESULT CCustomScrollBar::OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&) {
    m_hot = false;
    m_trackingLeave = false;
    RedrawNow();
    return 0;
}

LRESULT CCustomScrollBar::OnCommand(UINT, WPARAM, LPARAM lParam, BOOL& handled) {
    HWND from = reinterpret_cast<HWND>(lParam);
    if (from == nullptr || (from != m_leftArrow.m_hWnd && from != m_rightArrow.m_hWnd)) {
        handled = FALSE;
        return 0;
    }
    if (m_page >= m_range) return 0;
    const int64_t step = scroll::ArrowStep(m_range, m_trackWidth);
    SetPos(scroll::StepFrom(m_pos, from == m_leftArrow.m_hWnd ? -step : step));
    return 0;
}

LRESULT CCustomScrollBar::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = FALSE;
    return 0;
}
