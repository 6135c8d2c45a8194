#include "window.h"

void CWindow::CenterWindow(const SIZE* size) const {
    RECT self{}, area{};
    ::GetWindowRect(m_hWnd, &self);
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
        ::GetWindowRect(owner, &area);
    } else {
        MONITORINFO mi{};
        mi.cbSize = sizeof mi;
        ::GetMonitorInfoW(::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY), &mi);
        area = mi.rcWork;
    }
    const int w = size != nullptr ? size->cx : self.right - self.left;
    const int h = size != nullptr ? size->cy : self.bottom - self.top;
    const int x = area.left + ((area.right - area.left) - w) / 2;
    const int y = area.top + ((area.bottom - area.top) - h) / 2;
    ::SetWindowPos(m_hWnd, nullptr, x, y, w, h, (size != nullptr ? 0 : SWP_NOSIZE) | SWP_NOZORDER | SWP_NOACTIVATE);
}
