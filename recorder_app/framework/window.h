// A thin handle wrapper shared by window and dialog implementations.
#pragma once
#include <windows.h>

class CWindow {
public:
    HWND m_hWnd = nullptr;

    operator HWND() const { return m_hWnd; }
    bool IsWindow() const { return m_hWnd != nullptr && ::IsWindow(m_hWnd); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    BOOL Invalidate(BOOL erase = TRUE) const { return ::InvalidateRect(m_hWnd, nullptr, erase); }
    BOOL EnableWindow(BOOL enable = TRUE) const { return ::EnableWindow(m_hWnd, enable); }
    BOOL SetWindowText(LPCWSTR text) const { return ::SetWindowTextW(m_hWnd, text); }
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageW(m_hWnd, msg, wParam, lParam);
    }
    BOOL PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::PostMessageW(m_hWnd, msg, wParam, lParam);
    }
    // Repaints at once, background included.
    BOOL RedrawNow() const {
        return ::RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    // Centres on the owner if there is one, else on the work area of the screen; resized to
    // `size` in the same move when one is given.
    void CenterWindow(const SIZE* size = nullptr) const;
};

namespace framework {
// Whether the window draws anything outside its client area: a border, an edge or scroll bars.
inline bool HasFrame(HWND hwnd) {
    constexpr LONG_PTR kFrameStyles = WS_BORDER | WS_DLGFRAME | WS_THICKFRAME | WS_HSCROLL | WS_VSCROLL;
    constexpr LONG_PTR kFrameExStyles = WS_EX_CLIENTEDGE | WS_EX_STATICEDGE | WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME;
    return (::GetWindowLongPtrW(hwnd, GWL_STYLE) & kFrameStyles) != 0 ||
           (::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & kFrameExStyles) != 0;
}
}  // namespace framework
