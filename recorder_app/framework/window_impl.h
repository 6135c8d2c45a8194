// Window classes of our own: each C++ class registers one window class, named "ATL:%p"
// after the address of its registration record, and routes messages to its message map.
#pragma once
#include <windows.h>
#include <cwchar>
#include "app_module.h"
#include "message_map.h"
#include "window.h"

namespace framework {

// Associates a window with the C++ object that handles its messages.
void AttachObject(HWND hWnd, void* object);
void* AttachedObject(HWND hWnd);
void DetachObject(HWND hWnd);

}  // namespace framework

template <class T, class TBase = CWindow>
class CWindowImpl : public TBase, public CMessageMap {
public:
    static constexpr DWORD kDefaultStyle = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;

    CWindowImpl() = default;
    CWindowImpl(const CWindowImpl&) = delete;
    CWindowImpl& operator=(const CWindowImpl&) = delete;
    // A window that outlives its object is destroyed without it: by now the derived class is
    // gone, so its message map must not see the last messages.
    virtual ~CWindowImpl() {
        HWND hWnd = this->m_hWnd;
        if (hWnd == nullptr || !::IsWindow(hWnd)) return;
        Detach(hWnd);
        ::DestroyWindow(hWnd);
    }

    // The class name, unique in the process: "ATL:" and the registration record's address.
    static LPCWSTR GetWndClassName() {
        static wchar_t name[32] = L"";
        if (name[0] == 0) swprintf(name, 32, L"ATL:%p", static_cast<void*>(&WndClassInfo()));
        return name;
    }

    HWND Create(HWND parent, const RECT& rect, LPCWSTR windowName = nullptr, DWORD style = 0,
                DWORD exStyle = 0, UINT id = 0) {
        if (!Register()) return nullptr;
        if (style == 0) style = kDefaultStyle;
        return ::CreateWindowExW(exStyle, GetWndClassName(), windowName, style, rect.left, rect.top,
                                 rect.right - rect.left, rect.bottom - rect.top, parent,
                                 reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                 g_module.GetModuleInstance(), static_cast<T*>(this));
    }

    // Takes over an existing window (a dialog's control); its own procedure still handles
    // whatever the message map leaves.
    BOOL SubclassWindow(HWND hWnd) {
        if (this->m_hWnd != nullptr || !::IsWindow(hWnd)) return FALSE;
        this->m_hWnd = hWnd;
        framework::AttachObject(hWnd, static_cast<T*>(this));
        m_superProc = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc)));
        return TRUE;
    }

    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
        return ::CallWindowProcW(m_superProc, this->m_hWnd, msg, wParam, lParam);
    }

    virtual void OnFinalMessage(HWND) {}

private:
    static WNDCLASSEXW& WndClassInfo() {
        static WNDCLASSEXW wc{};
        return wc;
    }

    static bool Register() {
        WNDCLASSEXW& wc = WndClassInfo();
        if (wc.cbSize != 0) return true;
        WNDCLASSEXW candidate{};
        candidate.cbSize = sizeof candidate;
        candidate.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
        candidate.lpfnWndProc = &WindowProc;
        candidate.hInstance = g_module.GetModuleInstance();
        candidate.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        candidate.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
        candidate.lpszClassName = GetWndClassName();
        if (::RegisterClassExW(&candidate) == 0) return false;
        wc = candidate;
        return true;
    }

    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = static_cast<T*>(framework::AttachedObject(hWnd));
        if (self == nullptr) {
            if (msg != WM_NCCREATE) return ::DefWindowProcW(hWnd, msg, wParam, lParam);
            self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
            self->m_hWnd = hWnd;
            framework::AttachObject(hWnd, self);
        }
        LRESULT result = 0;
        if (!self->ProcessWindowMessage(hWnd, msg, wParam, lParam, result))
            result = self->DefWindowProc(msg, wParam, lParam);
        if (msg == WM_NCDESTROY) {
            self->Detach(hWnd);
            self->OnFinalMessage(hWnd);
        }
        return result;
    }

    // Hands the window back to its own procedure and forgets it.
    void Detach(HWND hWnd) {
        if (m_superProc != &::DefWindowProcW)
            ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_superProc));
        framework::DetachObject(hWnd);
        this->m_hWnd = nullptr;
        m_superProc = &::DefWindowProcW;
    }

    WNDPROC m_superProc = &::DefWindowProcW;
};
