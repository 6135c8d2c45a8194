// Dialogs from a template: T names its template with `enum { IDD = ... }` and handles
// messages in its message map; the dialog procedure answers the dialog manager.
#pragma once
#include <windows.h>
#include "app_module.h"
#include "message_map.h"
#include "window.h"
#include "window_impl.h"

namespace framework {
// Tells the dialog manager the outcome of a handled message.
INT_PTR DialogResult(HWND hWnd, UINT msg, LRESULT result);
}

template <class T>
class CDialogImpl : public CWindow, public CMessageMap {
public:
    CDialogImpl() = default;
    CDialogImpl(const CDialogImpl&) = delete;
    CDialogImpl& operator=(const CDialogImpl&) = delete;
    // As for windows: a dialog that outlives its object is destroyed without it.
    virtual ~CDialogImpl() {
        if (m_hWnd == nullptr || !::IsWindow(m_hWnd)) return;
        framework::DetachObject(m_hWnd);
        ::DestroyWindow(m_hWnd);
    }

    // Modeless: the window stays until DestroyWindow.
    HWND Create(HWND parent) {
        return ::CreateDialogParamW(g_module.GetResourceInstance(), MAKEINTRESOURCEW(T::IDD), parent,
                                    GetDialogProc(), reinterpret_cast<LPARAM>(static_cast<T*>(this)));
    }

    // Modal: returns the code given to EndDialog, or -1 if the dialog could not be made.
    INT_PTR DoModal(HWND parent = ::GetActiveWindow()) {
        return ::DialogBoxParamW(g_module.GetResourceInstance(), MAKEINTRESOURCEW(T::IDD), parent,
                                 GetDialogProc(), reinterpret_cast<LPARAM>(static_cast<T*>(this)));
    }

    BOOL EndDialog(int result) { return ::EndDialog(m_hWnd, result); }
    BOOL DestroyWindow() { return ::DestroyWindow(m_hWnd); }

    virtual DLGPROC GetDialogProc() { return &DialogProc; }
    virtual void OnFinalMessage(HWND) {}

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        auto* self = static_cast<T*>(framework::AttachedObject(hWnd));
        if (self == nullptr) {
            // Messages before WM_INITDIALOG (WM_SETFONT and the like) go to the dialog manager.
            if (msg != WM_INITDIALOG) return FALSE;
            self = reinterpret_cast<T*>(lParam);
            self->m_hWnd = hWnd;
            framework::AttachObject(hWnd, self);
        }
        LRESULT result = 0;
        const BOOL handled = self->ProcessWindowMessage(hWnd, msg, wParam, lParam, result);
        if (msg == WM_NCDESTROY) {
            framework::DetachObject(hWnd);
            self->m_hWnd = nullptr;
            self->OnFinalMessage(hWnd);
            return FALSE;
        }
        return handled ? framework::DialogResult(hWnd, msg, result) : FALSE;
    }
};
