// A thin horizontal scroll bar drawn from bitmaps: two arrow buttons, a draggable thumb and
// page clicks. Its unit is the millisecond; every SetPos is posted to the parent as
// WM_SCROLL_POSITION_CHANGED.
#pragma once
#include <windows.h>
#include <cstdint>
#include "bitmap_button.h"
#include "framework/message_map.h"
#include "framework/offscreen_draw.h"
#include "picture.h"
#include "framework/window_impl.h"
#include "scroll_geometry.h"

class CCustomScrollBar : public CWindowImpl<CCustomScrollBar>, public COffscreenDraw<CCustomScrollBar> {
public:
    CCustomScrollBar() = default;
    ~CCustomScrollBar() override;

    void SetRange(uint32_t range);
    void SetPage(uint32_t page);
    void SetPos(uint32_t pos);
    uint32_t GetPage() const { return m_page; }
    uint32_t GetRange() const { return m_range; }
    uint32_t GetPos() const { return m_pos; }
    int GetThumbWidth() const { return m_thumbWidth; }
    int GetTrackWidth() const { return m_trackWidth; }
    HWND GetLeftArrow() const { return m_leftArrow; }
    HWND GetRightArrow() const { return m_rightArrow; }

    void DoPaint(HDC dc);

    // Puts off the thumb's drawing for a scope, so that changes of range and position made
    // in it draw once, at its end.
    class DrawOnce {
    public:
        explicit DrawOnce(CCustomScrollBar& bar) : m_bar(bar) { ++bar.m_holds; }
        ~DrawOnce();
        DrawOnce(const DrawOnce&) = delete;
        DrawOnce& operator=(const DrawOnce&) = delete;
    private:
        CCustomScrollBar& m_bar;
    };

    BEGIN_MSG_MAP(CCustomScrollBar)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        MESSAGE_HANDLER(WM_CAPTURECHANGED, OnCaptureChanged)
        MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        CHAIN_MSG_MAP(COffscreenDraw<CCustomScrollBar>)
    END_MSG_MAP()

private:
    scroll::Thumb CurrentThumb() const;
    // The thumb as it is drawn, or none (width -1) when there is nothing to scroll.
    scroll::Thumb ShownThumb() const;
    // Draws the columns of the thumb as it was (`changedFrom`) and as it is at once when they
    // differ; while a DrawOnce holds, remembers the first `changedFrom` instead.
    void DrawThumbChange(const scroll::Thumb& changedFrom);
    void CreateArrow(CBitmapButton& arrow, const RECT& rect, UINT bitmapId);
    void DrawThumb(HDC dc, const scroll::Thumb& thumb);

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonDown(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnMouseMove(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnLButtonUp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCaptureChanged(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCommand(UINT, WPARAM, LPARAM lParam, BOOL& handled);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);

    uint32_t m_range = 0;
    uint32_t m_page = 0;
    uint32_t m_pos = 0;
    int m_trackWidth = 0;
    int m_thumbWidth = 0;
    int m_thumbLeft = scroll::kArrowWidth;
    bool m_dragging = false;
    bool m_hot = false;
    int m_lastX = 0;
    bool m_trackingLeave = false;
    CBitmapButton m_leftArrow;
    CBitmapButton m_rightArrow;
    controls::Picture m_track;
    controls::Picture m_thumb;
    controls::Picture m_thumbHot;
    int m_holds = 0;
    bool m_drawPutOff = false;
    scroll::Thumb m_shownBeforePutOff{0, -1};
};
