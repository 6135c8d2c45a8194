#include "volume_ctrl.h"
#include <algorithm>
#include "level_bar.h"
#include "res/bitmap_ids.h"

CVolumeCtrl::~CVolumeCtrl() {
    if (IsWindow()) ::DestroyWindow(m_hWnd);
}

void CVolumeCtrl::SetLevel(int level) {
    const int before = controls::LevelBarHeight(m_level), after = controls::LevelBarHeight(level);
    m_level = level;
    // Without a window a repaint would go to the desktop. Only the rows between the two
    // tops of the bar change.
    if (!IsWindow() || before == after) return;
    const RECT rows{0, controls::kMeterHeight - std::max(before, after), controls::kMeterWidth,
                    controls::kMeterHeight - std::min(before, after)};
    DrawNow(&rows);
}

void CVolumeCtrl::DoPaint(HDC dc) {
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    HBRUSH background = ::CreateSolidBrush(RGB(0xDA, 0xDA, 0xDA));
    ::FillRect(dc, &client, background);
    ::DeleteObject(background);
    const int h = controls::LevelBarHeight(m_level);
    HDC meter = h == 0 ? nullptr : m_meter.Dc();
    if (meter == nullptr) return;
    const int top = controls::kMeterHeight - h;
    ::BitBlt(dc, 0, top, controls::kMeterWidth, h, meter, 0, top, SRCCOPY);
}

LRESULT CVolumeCtrl::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    m_meter.Load(IDB_LEVEL_METER);
    return 0;
}

LRESULT CVolumeCtrl::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    handled = FALSE;
    return 0;
}
