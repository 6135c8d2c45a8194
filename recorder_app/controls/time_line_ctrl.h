// The clip's time line: a seconds ruler, the clip fill, the cursor and a marker for each
// advertising spot, panned by a custom scroll bar along its top edge. A click moves the
// cursor; every position change is posted as WM_POSITION_CHANGED. Dragging selects a stretch
// (the press captures the mouse; past an edge the view scrolls), as does Shift+click from the
// cursor; the selection is a band over the envelope, described by the control's tooltip.
#pragma once
#include <windows.h>
#include <climits>
#include <cstdint>
#include <set>
#include "control_messages.h"
#include "custom_scroll_bar.h"
#include "envelope_strip.h"
#include "framework/message_map.h"
#include "framework/offscreen_draw.h"
#include "picture.h"
#include "framework/window_impl.h"
#include "timeline_geometry.h"
#include "timeline_selection.h"
#include "audio/levels/level_series.h"

class CTimeLineCtrl : public CWindowImpl<CTimeLineCtrl>, public COffscreenDraw<CTimeLineCtrl> {
public:
    CTimeLineCtrl() = default;
    ~CTimeLineCtrl() override;

    void SetLength(uint32_t length);
    void SetPosition(int32_t position);
    void SetSpots(const std::set<uint32_t>& spots);
    void SetLinkedWindow(HWND linked) { m_linked = linked; }
    // The clip's levels, drawn as its envelope; the owner keeps them and calls LevelsChanged
    // for the stretch [fromMs, toMs) whenever they change.
    void SetLevels(const levels::Codes* codes) {
        m_levels = codes;
        m_strip.Invalidate(0, INT_MAX);
    }
    void LevelsChanged(uint32_t fromMs, uint32_t toMs);
    uint32_t GetPosition() const { return m_position; }
    uint32_t GetLength() const { return m_length; }
    int GetPixelsPerSecond() const { return m_pixelsPerSecond; }
    uint32_t GetViewStart() const { return m_viewStart; }
    // The selected stretch, empty when none. Setting it keeps it inside the clip and leaves
    // the cursor alone.
    timeline::Selection GetSelection() const { return m_selection; }
    void SetSelection(const timeline::Selection& selection);
    void ClearSelection() { SetSelection(timeline::Selection{}); }
    // Shift+Left (-1) and Shift+Right (+1): one column more or less, from the cursor's side.
    void StepSelection(int direction);
    CCustomScrollBar& ScrollBar() { return m_scrollBar; }

    void DoPaint(HDC dc);

    // Puts off the control's drawing, and its scroll bar's, for a scope: a recording tick
    // moves the length and then the cursor, and draws what both changed once, at its end.
    class DrawOnce {
    public:
        explicit DrawOnce(CTimeLineCtrl& line) : m_line(line), m_scrollBar(line.m_scrollBar) { ++line.m_holds; }
        ~DrawOnce();
        DrawOnce(const DrawOnce&) = delete;
        DrawOnce& operator=(const DrawOnce&) = delete;
    private:
        CTimeLineCtrl& m_line;
        CCustomScrollBar::DrawOnce m_scrollBar;
    };

    BEGIN_MSG_MAP(CTimeLineCtrl)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(WM_CAPTURECHANGED, OnCaptureChanged)
        MESSAGE_HANDLER(WM_CHAR, OnSwallow)
        MESSAGE_HANDLER(WM_SETFOCUS, OnSwallow)
        MESSAGE_HANDLER(WM_SCROLL_POSITION_CHANGED, OnScrollPositionChanged)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        CHAIN_MSG_MAP(COffscreenDraw<CTimeLineCtrl>)
    END_MSG_MAP()

private:
    static constexpr UINT_PTR kRepaintTimer = 1;
    static constexpr UINT kRepaintMs = 500;
    static constexpr UINT_PTR kDragScrollTimer = 2;
    static constexpr UINT kDragScrollMs = 50;

    timeline::View CurrentView() const { return {m_viewStart, m_position, m_length}; }
    // Draws at once what looks different from `changedFrom`: while recording, a tick draws the
    // columns the clip grows by and those the cursor leaves and reaches, and the whole strip
    // only when the view's ruler moves. The drawing is put off, from the first view on,
    // while a DrawOnce holds and while a scroll this control asked for is on its way: the
    // scroll bar's answer moves the view and draws everything that changed once.
    void DrawChange(const timeline::View& changedFrom);
    void DrawRuler(HDC dc, int width, int y0);
    void DrawLabel(HDC dc, uint32_t ms, int x, int y);
    void DrawGrid(HDC dc, int width, int y0, int fillRight);
    void DrawMarkers(HDC dc, int width, int y0);
    void DrawSelection(HDC dc, int width, int y0);
    // The selection from the press to where the pointer is now, the view scrolling while
    // the pointer is beyond an edge.
    void FollowDrag();
    void EndDrag();
    int ClientWidth() const;
    void ShowSelectionTip();

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnTimer(UINT, WPARAM id, LPARAM, BOOL&);
    LRESULT OnLButtonDown(UINT, WPARAM flags, LPARAM lParam, BOOL&);
    LRESULT OnLButtonUp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnCaptureChanged(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSwallow(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
    LRESULT OnScrollPositionChanged(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);

    uint32_t m_viewStart = 0;
    uint32_t m_position = 0;
    uint32_t m_length = 0;
    int m_pixelsPerSecond = timeline::kPixelsPerSecond;
    std::set<uint32_t> m_spots;
    timeline::Selection m_selection;
    // A press of the left button, from WM_LBUTTONDOWN until the capture ends: a click until
    // the pointer has moved the system's drag distance, a selection from then on.
    struct Drag {
        bool pressed = false;
        bool selecting = false;
        bool scrolling = false;  // the drag-scroll timer runs
        int pressX = 0;
        int lastX = 0;
        uint32_t anchor = 0;  // the cursor the press put down
    } m_drag;
    HWND m_tip = nullptr;
    const levels::Codes* m_levels = nullptr;
    HWND m_linked = nullptr;
    CCustomScrollBar m_scrollBar;
    HFONT m_font = nullptr;
    int m_labelWidth = 0;  // measured on the first paint
    int m_holds = 0;
    bool m_scrollComing = false;
    bool m_drawPutOff = false;
    int m_levelsFirst = INT_MAX, m_levelsLast = 0;  // envelope columns a hold put off
    timeline::View m_shownBeforePutOff{};
    controls::EnvelopeStrip m_strip;
    controls::Picture m_rulerTile;
    controls::Picture m_marker;
    controls::Picture m_markerMask;
};
