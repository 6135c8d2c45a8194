// A push button drawn entirely from an image list, with a hover image and a tooltip. In
// hover mode the button runs its own press logic and sends BN_CLICKED itself.
#pragma once
#include <windows.h>
#include <commctrl.h>
#include <string>
#include "framework/message_map.h"
#include "framework/window_impl.h"

// Extended style: the hover image shows while the pointer is over the button.
constexpr DWORD BMPBTN_HOVER = 0x00000001;

class CBitmapButton : public CWindowImpl<CBitmapButton> {
public:
    // Image slots; an index of -1 falls back to the normal image.
    enum { kNormal, kPushed, kHover, kDisabled, kImageSlots };

    CBitmapButton() = default;
    ~CBitmapButton() override;

    // Registers "WTL_BitmapButton", a superclass of BUTTON, for Create and for dialog templates
    // that name it; true when it is registered.
    static bool RegisterWindowClass();
    // Creates the button as a child ("WTL_BitmapButton").
    HWND Create(HWND parent, const RECT& rect, LPCWSTR text = nullptr, DWORD style = 0,
                DWORD exStyle = 0, UINT id = 0);
    // Takes over an existing button, such as one of a dialog.
    BOOL SubclassWindow(HWND hWnd);

    DWORD SetBitmapButtonExtendedStyle(DWORD style);
    // The button owns the list from now on; a list it held before is destroyed.
    void SetImageList(HIMAGELIST list);
    HIMAGELIST GetImageList() const { return m_images; }
    // True when an index changed, that is when the owner's repaint would show anything new.
    bool SetImages(int normal, int pushed = -1, int hover = -1, int disabled = -1);
    // A copy of the text is kept; null deactivates the tooltip. The same text again leaves
    // the tooltip alone.
    bool SetToolTipText(LPCWSTR text);
    // The tooltip window is made when first needed (the pointer over the button, or this
    // call): eight of them made up front took a fifth of the program's start-up.
    HWND GetToolTipCtrl();

    // The image index the button shows in its current state.
    int CurrentImageIndex() const;

    BEGIN_MSG_MAP(CBitmapButton)
        MESSAGE_RANGE_HANDLER(WM_MOUSEFIRST, WM_MOUSEWHEEL, OnMouseMessage)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBackground)
        MESSAGE_HANDLER(WM_NCPAINT, OnNcPaint)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_PRINTCLIENT, OnPrintClient)
        MESSAGE_HANDLER(WM_SETFOCUS, OnFocus)
        MESSAGE_HANDLER(WM_KILLFOCUS, OnFocus)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnLButtonDown)
        MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        MESSAGE_HANDLER(WM_CAPTURECHANGED, OnCaptureChanged)
        MESSAGE_HANDLER(WM_ENABLE, OnEnable)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
        MESSAGE_HANDLER(WM_KEYDOWN, OnKey)
        MESSAGE_HANDLER(WM_KEYUP, OnKey)
        MESSAGE_HANDLER(WM_UPDATEUISTATE, OnUpdateUiState)
    END_MSG_MAP()

private:
    bool IsHoverMode() const { return (m_extendedStyle & BMPBTN_HOVER) != 0; }
    bool HasCapture() const { return ::GetCapture() == m_hWnd; }
    void Init();
    void CreateToolTip();
    void RegisterTool();
    void UpdateNow();
    void Draw(HDC dc);

    LRESULT OnMouseMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    // Without a frame there is nothing outside the face to paint: see COffscreenDraw.
    LRESULT OnNcPaint(UINT, WPARAM, LPARAM, BOOL& handled) {
        handled = !framework::HasFrame(m_hWnd);
        return 0;
    }
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPrintClient(UINT, WPARAM wParam, LPARAM, BOOL&);
    LRESULT OnFocus(UINT msg, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&);
    LRESULT OnLButtonUp(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&);
    LRESULT OnCaptureChanged(UINT, WPARAM, LPARAM, BOOL& handled);
    LRESULT OnEnable(UINT, WPARAM wParam, LPARAM, BOOL&);
    LRESULT OnMouseMove(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&);
    LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&);
    void ForgetHoverIfLeft();
    LRESULT OnKey(UINT, WPARAM wParam, LPARAM, BOOL& handled);
    LRESULT OnUpdateUiState(UINT, WPARAM, LPARAM, BOOL&) { return 0; }

    DWORD m_extendedStyle = 0;
    HIMAGELIST m_images = nullptr;
    int m_index[kImageSlots] = {-1, -1, -1, -1};
    HWND m_tip = nullptr;
    bool m_toolRegistered = false;
    bool m_hasTipText = false;
    std::wstring m_tipText;
    bool m_mouseOver = false;
    bool m_focus = false;
    bool m_pressed = false;
};
