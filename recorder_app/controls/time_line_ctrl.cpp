#include "time_line_ctrl.h"
#include <commctrl.h>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>
#include "gdi_resources.h"
#include "envelope_strip.h"
#include "framework/app_module.h"
#include "res/bitmap_ids.h"
#include "time_text.h"

namespace {
constexpr COLORREF kBackground = RGB(0xDA, 0xDA, 0xDA);
constexpr COLORREF kGridInsideClip = 0xB8A890;
constexpr COLORREF kGridBeyondClip = 0xADADAD;

constexpr int kRulerTileWidth = 32;
// The destination AND NOT the source (DSna).
constexpr DWORD kClearWhereMaskSet = 0x00220326;
// The selection is the destination ANDed with a pale blue (DPa): the fill turns blue and the
// envelope's dark bars stay dark, so they read as well inside the band as outside it.
constexpr COLORREF kSelectionTint = RGB(0x90, 0xB8, 0xFF);
constexpr DWORD kTintWithBrush = 0x00A000C9;
}  // namespace

using controls::DeleteGdiObject;

CTimeLineCtrl::~CTimeLineCtrl() {
    if (IsWindow()) ::DestroyWindow(m_hWnd);
    DeleteGdiObject(m_font);
}

void CTimeLineCtrl::SetLength(uint32_t length) {
    const timeline::View before = CurrentView();
    m_length = length;
    m_position = timeline::ClampPosition(static_cast<int32_t>(m_position), length);
    const timeline::Selection kept = timeline::SelectBetween(m_selection.start, m_selection.end, length);
    if (kept != m_selection) {
        m_selection = kept;
        ShowSelectionTip();
        DrawNow();
    }
    DrawChange(before);
    if (m_scrollBar.IsWindow()) m_scrollBar.SetRange(length);
}

void CTimeLineCtrl::SetSelection(const timeline::Selection& selection) {
    const timeline::Selection kept = timeline::SelectBetween(selection.start, selection.end, m_length);
    if (kept == m_selection) return;
    m_selection = kept;
    ShowSelectionTip();
    // The band can cover the whole view: a selection changes at most once a mouse move.
    if (IsWindow()) DrawNow();
}

void CTimeLineCtrl::StepSelection(int direction) {
    SetSelection(timeline::StepSelection(m_selection, m_position, direction,
                                         timeline::ColumnStepMs(m_pixelsPerSecond), m_length));
}

void CTimeLineCtrl::ShowSelectionTip() {
    if (!IsWindow()) return;
    if (m_tip == nullptr) {
        if (m_selection.Empty()) return;  // made when first needed: most runs never select
        m_tip = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                                  g_module.GetModuleInstance(), nullptr);
        if (m_tip == nullptr) return;
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = ::GetParent(m_hWnd);
        tool.uId = reinterpret_cast<UINT_PTR>(m_hWnd);
        tool.lpszText = const_cast<LPWSTR>(L"");
        ::SendMessageW(m_tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    if (m_selection.Empty()) {
        ::SendMessageW(m_tip, TTM_ACTIVATE, FALSE, 0);
        return;
    }
    const std::wstring text = L"Selection from " + controls::ClockText(m_selection.start) + L", " +
                              controls::ClockText(m_selection.Length()) + L" long";
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = ::GetParent(m_hWnd);
    tool.uId = reinterpret_cast<UINT_PTR>(m_hWnd);
    tool.lpszText = const_cast<LPWSTR>(text.c_str());
    ::SendMessageW(m_tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    ::SendMessageW(m_tip, TTM_ACTIVATE, TRUE, 0);
}

void CTimeLineCtrl::SetPosition(int32_t position) {
    const timeline::View before = CurrentView();
    const uint32_t viewStartOnEntry = m_viewStart;
    m_position = timeline::ClampPosition(position, m_length);
    // Without a window the repaint would go to the desktop and the post, with no parent to
    // receive it, would become a message to this thread.
    if (!IsWindow()) return;
    if (m_linked != nullptr) ::PostMessageW(m_linked, WM_POSITION_CHANGED, 0, static_cast<LPARAM>(m_position));
    ::PostMessageW(::GetParent(m_hWnd), WM_POSITION_CHANGED, 0, static_cast<LPARAM>(m_position));
    if (m_scrollBar.IsWindow()) {
        // The view itself moves when the scroll bar's answer arrives.
        const timeline::ScrollRequests scroll =
            timeline::KeepInView(m_position, viewStartOnEntry, m_scrollBar.GetPage());
        if (scroll.toCursor) m_scrollBar.SetPos(scroll.cursorLeft);
        if (scroll.toRightEdge) m_scrollBar.SetPos(scroll.rightEdgeStart);
        if (m_scrollBar.GetPos() != m_viewStart) m_scrollComing = true;
    }
    DrawChange(before);
}

CTimeLineCtrl::DrawOnce::~DrawOnce() {
    if (--m_line.m_holds == 0 && m_line.m_drawPutOff) m_line.DrawChange(m_line.CurrentView());
}

void CTimeLineCtrl::SetSpots(const std::set<uint32_t>& spots) {
    if (spots == m_spots) return;
    m_spots = spots;
    // The owner repaints after a change of spots; this only keeps a later partial repaint
    // from leaving old markers on screen should it not.
    if (IsWindow()) ::InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CTimeLineCtrl::DrawChange(const timeline::View& changedFrom) {
    if (!IsWindow()) return;
    if (m_holds > 0 || m_scrollComing) {
        if (!m_drawPutOff) m_shownBeforePutOff = changedFrom;
        m_drawPutOff = true;
        return;
    }
    const timeline::View before = m_drawPutOff ? m_shownBeforePutOff : changedFrom;
    m_drawPutOff = false;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    timeline::Change change =
        timeline::ChangedPart(before, CurrentView(), m_spots, m_pixelsPerSecond, client.right);
    if (m_levelsFirst < m_levelsLast) {
        change.first = change.first < change.last ? std::min(change.first, m_levelsFirst) : m_levelsFirst;
        change.last = std::max(change.last, m_levelsLast);
        m_levelsFirst = INT_MAX;
        m_levelsLast = 0;
    }
    if (change.everything) {
        DrawNow();
    } else if (change.first < change.last) {
        const RECT clipArea{change.first, 0, change.last, client.bottom - timeline::kRulerHeight};
        DrawNow(&clipArea);
    }
}

void CTimeLineCtrl::DoPaint(HDC dc) {
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const int width = client.right, y0 = client.bottom - timeline::kRulerHeight;

    HBRUSH background = ::CreateSolidBrush(kBackground);
    ::FillRect(dc, &client, background);
    ::DeleteObject(background);
    controls::UseFont(dc, m_font != nullptr ? m_font : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(0, 0, 0));

    DrawRuler(dc, width, y0);
    const int fillRight = timeline::ClipFillRight(m_length, m_viewStart, m_pixelsPerSecond, width);
    if (fillRight > 0) {
        RECT box;
        ::GetClipBox(dc, &box);
        if (m_levels != nullptr && !m_levels->empty()) {
            const controls::EnvelopeStrip::Layout layout{
                width, y0, timeline::AlignedViewStart(m_viewStart, m_pixelsPerSecond),
                timeline::ColumnStepMs(m_pixelsPerSecond), m_length, timeline::kScrollBarHeight};
            m_strip.Paint(dc, layout, *m_levels, std::max(0L, box.left), std::min<long>(fillRight, box.right));
        } else {
            HBRUSH fill = ::CreateSolidBrush(controls::kClipFill);
            RECT clip{0, 0, fillRight, y0};
            ::FillRect(dc, &clip, fill);
            ::DeleteObject(fill);
        }
    }
    DrawGrid(dc, width, y0, fillRight);
    DrawSelection(dc, width, y0);
    const int cursor = timeline::ColumnOf(m_position, m_viewStart, m_pixelsPerSecond, width);
    if (cursor >= 0) {
        ::MoveToEx(dc, cursor, 0, nullptr);
        ::LineTo(dc, cursor, y0);
    }
    DrawMarkers(dc, width, y0);
}

void CTimeLineCtrl::DrawSelection(HDC dc, int width, int y0) {
    const timeline::Columns band =
        timeline::SelectionColumns(m_selection, timeline::AlignedViewStart(m_viewStart, m_pixelsPerSecond),
                                   timeline::ColumnStepMs(m_pixelsPerSecond), width);
    if (band.first >= band.last) return;
    HBRUSH tint = ::CreateSolidBrush(kSelectionTint);
    HGDIOBJ original = ::SelectObject(dc, tint);
    ::PatBlt(dc, band.first, timeline::kScrollBarHeight, band.last - band.first, y0 - timeline::kScrollBarHeight,
             kTintWithBrush);
    ::SelectObject(dc, original);
    ::DeleteObject(tint);
}

void CTimeLineCtrl::DrawRuler(HDC dc, int width, int y0) {
    // A tick's lines are drawn when its column can show, its label when the label can reach
    // into what shows: a tick drawn at once covers a column or two.
    RECT box;
    ::GetClipBox(dc, &box);
    const int from = std::max(0L, box.left), to = std::min(static_cast<long>(width), box.right);
    if (HDC tile = m_rulerTile.Dc()) {
        for (int x = from / kRulerTileWidth * kRulerTileWidth; x < to; x += kRulerTileWidth)
            ::BitBlt(dc, x, y0, kRulerTileWidth, timeline::kRulerHeight, tile, 0, 0, SRCCOPY);
    }
    if (m_labelWidth == 0) {  // the widest label, in the font the frame keeps
        SIZE widest{};
        ::GetTextExtentPoint32W(dc, L"000:00", 6, &widest);
        m_labelWidth = std::max(1L, widest.cx) + 1;
    }
    const int labelY = y0 + timeline::kLabelOffsetY;
    const timeline::LeadingLabel leading = timeline::LeadingLabelFor(m_viewStart, m_pixelsPerSecond);
    if (leading.visible && leading.x < to && leading.x + m_labelWidth > from)
        DrawLabel(dc, leading.ms, leading.x, labelY);

    const uint32_t m0 = timeline::AlignedViewStart(m_viewStart, m_pixelsPerSecond);
    const uint32_t step = timeline::ColumnStepMs(m_pixelsPerSecond);
    // A label starts one column left of its tick.
    for (int i = std::max(0, from + 1 - m_labelWidth); i < to; ++i) {
        const uint32_t m = m0 + static_cast<uint32_t>(i) * step;
        const timeline::Tick tick = timeline::TickAt(m);
        if (tick == timeline::Tick::kNone) continue;
        if (tick == timeline::Tick::kLong) DrawLabel(dc, m, i - 1, labelY);
        if (i < from) continue;
        ::MoveToEx(dc, i, y0 + 1, nullptr);
        ::LineTo(dc, i, y0 + 1 + (tick == timeline::Tick::kLong ? timeline::kLongTickLength : timeline::kShortTickLength));
    }
}

void CTimeLineCtrl::DrawLabel(HDC dc, uint32_t ms, int x, int y) {
    const std::wstring label = controls::RulerLabel(ms);
    ::TextOutW(dc, x, y, label.c_str(), static_cast<int>(label.size()));
}

void CTimeLineCtrl::LevelsChanged(uint32_t fromMs, uint32_t toMs) {
    if (!IsWindow()) return;
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const uint32_t m0 = timeline::AlignedViewStart(m_viewStart, m_pixelsPerSecond);
    const uint32_t step = timeline::ColumnStepMs(m_pixelsPerSecond);
    const uint32_t viewEnd = m0 + timeline::VisibleSpanMs(client.right, m_pixelsPerSecond);
    if (toMs <= m0 || fromMs >= viewEnd) return;
    const int first = fromMs <= m0 ? 0 : static_cast<int>((fromMs - m0) / step);
    const int last = toMs >= viewEnd ? client.right : static_cast<int>((toMs - m0 + step - 1) / step);
    if (m_holds > 0 || m_scrollComing) {
        // Drawn with the change the hold puts off.
        if (!m_drawPutOff) m_shownBeforePutOff = CurrentView();
        m_drawPutOff = true;
        m_levelsFirst = std::min(m_levelsFirst, first);
        m_levelsLast = std::max(m_levelsLast, last);
        m_strip.Invalidate(first, last);
        return;
    }
    m_strip.Invalidate(first, last);
    const RECT columns{first, 0, last, client.bottom - timeline::kRulerHeight};
    DrawNow(&columns);
}

void CTimeLineCtrl::DrawGrid(HDC dc, int width, int y0, int fillRight) {
    HPEN inside = ::CreatePen(PS_SOLID, 1, kGridInsideClip);
    HPEN beyond = ::CreatePen(PS_SOLID, 1, kGridBeyondClip);
    HGDIOBJ original = ::SelectObject(dc, inside);
    RECT box;
    ::GetClipBox(dc, &box);
    const uint32_t m0 = timeline::AlignedViewStart(m_viewStart, m_pixelsPerSecond);
    const uint32_t step = timeline::ColumnStepMs(m_pixelsPerSecond);
    for (int j = std::max(0L, box.left); j < std::min(static_cast<long>(width), box.right); ++j) {
        const uint32_t m = m0 + static_cast<uint32_t>(j) * step;
        if (m % timeline::kLabelEveryMs != 0) continue;
        ::SelectObject(dc, j < fillRight ? inside : beyond);
        ::MoveToEx(dc, j, 0, nullptr);
        ::LineTo(dc, j, y0);
    }
    ::SelectObject(dc, original);  // the cursor is drawn with the default black pen
    ::DeleteObject(inside);
    ::DeleteObject(beyond);
}

// Where the mask is set the marker is copied; elsewhere it is ORed onto the background, so
// its black corners vanish. That is MaskBlt's SRCCOPY over SRCPAINT, done as two plain
// blits from contexts that keep their bitmaps: MaskBlt makes and selects into contexts of
// its own on every call. A monochrome source takes the destination's text colour for 0 and
// its background colour for 1, so the first blit clears the masked pixels.
void CTimeLineCtrl::DrawMarkers(HDC dc, int width, int y0) {
    HDC marker = m_marker.Dc(), mask = m_markerMask.Dc();
    if (marker == nullptr || mask == nullptr) return;
    const COLORREF oldText = ::SetTextColor(dc, RGB(0, 0, 0)), oldBack = ::SetBkColor(dc, RGB(255, 255, 255));
    const int half = timeline::kMarkerWidth / 2;
    for (auto it = m_spots.lower_bound(m_viewStart); it != m_spots.end(); ++it) {
        if (*it >= m_length) break;
        const int x = timeline::ColumnOf(*it, m_viewStart, m_pixelsPerSecond, width);
        if (x < 0) break;  // spots are ascending: the rest lie beyond the view too
        const int left = x - half, top = y0 - timeline::kMarkerHeight;
        ::BitBlt(dc, left, top, timeline::kMarkerWidth, timeline::kMarkerHeight, mask, 0, 0, kClearWhereMaskSet);
        ::BitBlt(dc, left, top, timeline::kMarkerWidth, timeline::kMarkerHeight, marker, 0, 0, SRCPAINT);
    }
    ::SetTextColor(dc, oldText);
    ::SetBkColor(dc, oldBack);
}

LRESULT CTimeLineCtrl::OnCreate(UINT, WPARAM, LPARAM, BOOL& handled) {
    m_rulerTile.Load(IDB_RULER_TILE);
    m_marker.Load(IDB_SPOT_MARKER);
    m_markerMask.Load(IDB_SPOT_MARKER_MASK);
    m_font = controls::CreatePointFont(controls::kControlFontTenths, controls::kControlFontFace);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    m_scrollBar.Create(m_hWnd, RECT{0, 0, client.right, timeline::kScrollBarHeight}, nullptr,
                       WS_CHILD | WS_VISIBLE, 0, 0);
    if (m_scrollBar.IsWindow())
        m_scrollBar.SetPage(timeline::VisibleSpanMs(client.right, m_pixelsPerSecond));
    ::SetTimer(m_hWnd, kRepaintTimer, kRepaintMs, nullptr);
    handled = FALSE;
    return 0;
}

LRESULT CTimeLineCtrl::OnTimer(UINT, WPARAM id, LPARAM, BOOL&) {
    if (id == kDragScrollTimer) {
        const int32_t stepBy = timeline::DragScrollMs(m_drag.lastX, ClientWidth(), timeline::ColumnStepMs(m_pixelsPerSecond));
        if (stepBy != 0 && m_scrollBar.IsWindow()) {
            const int64_t target = std::max<int64_t>(0, int64_t{m_viewStart} + stepBy);
            // The scroll bar clamps and answers; the answer moves the view and the selection.
            m_scrollBar.SetPos(static_cast<uint32_t>(std::min<int64_t>(target, UINT32_MAX)));
        }
        return 0;
    }
    // Draws everything as it is, also should a scroll bar's answer have been lost.
    m_scrollComing = m_drawPutOff = false;
    m_levelsFirst = INT_MAX;
    m_levelsLast = 0;
    DrawNow();
    return 0;
}

int CTimeLineCtrl::ClientWidth() const {
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    return client.right;
}

LRESULT CTimeLineCtrl::OnLButtonDown(UINT, WPARAM flags, LPARAM lParam, BOOL&) {
    ::SetFocus(m_hWnd);
    const int x = static_cast<short>(LOWORD(lParam));
    const uint32_t at = timeline::TimeAtColumn(x, m_viewStart, m_pixelsPerSecond);
    if (flags & MK_SHIFT) {
        // From the cursor to the click; the cursor stays where it stood.
        SetSelection(timeline::SelectBetween(m_position, at, m_length));
        return 0;
    }
    ClearSelection();
    SetPosition(static_cast<int32_t>(at));
    ::SetCapture(m_hWnd);
    m_drag = Drag{};
    m_drag.pressed = true;
    m_drag.pressX = m_drag.lastX = x;
    m_drag.anchor = m_position;
    return 0;
}

LRESULT CTimeLineCtrl::OnLButtonUp(UINT, WPARAM, LPARAM, BOOL&) {
    ::ReleaseCapture();
    EndDrag();  // also when the capture was already gone
    return 0;
}

LRESULT CTimeLineCtrl::OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL&) {
    if (!m_drag.pressed) return 0;
    m_drag.lastX = static_cast<short>(LOWORD(lParam));
    // A move shorter than the system's drag distance is still a click.
    if (!m_drag.selecting && std::abs(m_drag.lastX - m_drag.pressX) < ::GetSystemMetrics(SM_CXDRAG)) return 0;
    m_drag.selecting = true;
    FollowDrag();
    return 0;
}

LRESULT CTimeLineCtrl::OnCaptureChanged(UINT, WPARAM, LPARAM, BOOL&) {
    EndDrag();
    return 0;
}

void CTimeLineCtrl::FollowDrag() {
    const int width = ClientWidth();
    const uint32_t step = timeline::ColumnStepMs(m_pixelsPerSecond);
    // Beyond an edge the selection reaches the edge of the view, which scrolls on.
    const int x = std::clamp(m_drag.lastX, 0, std::max(0, width));
    SetSelection(timeline::SelectBetween(m_drag.anchor, timeline::TimeAtColumn(x, m_viewStart, m_pixelsPerSecond),
                                         m_length));
    const bool beyond = timeline::DragScrollMs(m_drag.lastX, width, step) != 0;
    if (beyond && !m_drag.scrolling) ::SetTimer(m_hWnd, kDragScrollTimer, kDragScrollMs, nullptr);
    if (!beyond && m_drag.scrolling) ::KillTimer(m_hWnd, kDragScrollTimer);
    m_drag.scrolling = beyond;
}

void CTimeLineCtrl::EndDrag() {
    if (m_drag.scrolling) ::KillTimer(m_hWnd, kDragScrollTimer);
    m_drag = Drag{};
}

LRESULT CTimeLineCtrl::OnScrollPositionChanged(UINT, WPARAM, LPARAM lParam, BOOL&) {
    const uint32_t viewStart = static_cast<uint32_t>(lParam);
    m_scrollComing = false;
    const timeline::View before = CurrentView();
    m_viewStart = viewStart;
    // Also when the view stays: a change put off for this answer is drawn now.
    if (viewStart != before.viewStart || m_drawPutOff) DrawChange(before);
    if (m_drag.selecting && viewStart != before.viewStart) FollowDrag();
    return 0;
}

LRESULT CTimeLineCtrl::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = FALSE;
    return 0;
}
