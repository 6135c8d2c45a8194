#include "volume_ctrl.h"
#include <algorithm>
#include "gdi_resources.h"
#include "level_bar.h"
#include "res/bitmap_ids.h"

using controls::DeleteGdiObject;

CVolumeCtrl::~CVolumeCtrl() {
    if (IsWindow()) ::DestroyWindow(m_hWnd);
    DeleteGdiObject(m_meter);
}

void CVolumeCtrl::SetLevel(int level) {
    const int before = controls::LevelBarHeight(m_level), after = controls::LevelBarHeight(level);
    m_level = level;
    // Without a window a repaint would go to the desktop. Only the rows between the two
    // tops of the bar change; the paint follows when the window has handled what is pending.
    if (!IsWindow() || before == after) return;
    const RECT rows{0, controls::kMeterHeight - std::max(before, after), controls::kMeterWidth,
                    controls::kMeterHeight - std::min(before, after)};
    ::InvalidateRect(m_hWnd, &rows, FALSE);
}

void CVolumeCtrl::DoPaint(HDC dc) {
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    HBRUSH background = ::CreateSolidBrush(RGB(0xDA, 0xDA, 0xDA));
    ::FillRect(dc, &client, background);
    ::DeleteObject(background);
    const int h = controls::LevelBarHeight(m_level);
    if (h == 0 || m_meter == nullptr) return;
    HDC source = SourceDc(dc);
    HGDIOBJ old = ::SelectObject(source, m_meter);
    const int top = controls::kMeterHeight - h;
    ::BitBlt(dc, 0, top, controls::kMeterWidth, h, source, 0, top, SRCCOPY);
    ::SelectObject(source, old);
}

LRESULT CVolumeCtrl::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    m_meter = controls::LoadBitmapResource(IDB_LEVEL_METER);
    return 0;
}

LRESULT CVolumeCtrl::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = FALSE;
    return 0;
}
