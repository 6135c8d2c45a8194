#include "bitmap_button.h"
#include "button_image.h"
#include "gdi_resources.h"

namespace {

constexpr wchar_t kButtonClass[] = L"WTL_BitmapButton";

}  // namespace

// Our superclass of the system button: same procedure and extra bytes, our instance. The
// buttons share one drawing context (CS_CLASSDC): they only ever draw one at a time, on the
// window's thread, and under Wine every window's first context of its own costs several
// requests to its server, at the first paint of each button.
bool CBitmapButton::RegisterWindowClass() {
    HINSTANCE instance = g_module.GetModuleInstance();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (::GetClassInfoExW(instance, kButtonClass, &wc)) return true;
    if (!::GetClassInfoExW(nullptr, L"BUTTON", &wc)) return false;
    wc.cbSize = sizeof wc;
    wc.hInstance = instance;
    wc.lpszClassName = kButtonClass;
    wc.style = (wc.style & ~(CS_GLOBALCLASS | CS_PARENTDC | CS_OWNDC)) | CS_CLASSDC;
    return ::RegisterClassExW(&wc) != 0;
}

namespace {

TTTOOLINFOW ToolFor(HWND button, const std::wstring& text) {
    TTTOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = ::GetParent(button);
    ti.uId = reinterpret_cast<UINT_PTR>(button);
    ti.lpszText = const_cast<LPWSTR>(text.c_str());
    return ti;
}

}  // namespace

CBitmapButton::~CBitmapButton() {
    if (IsWindow()) ::DestroyWindow(m_hWnd);
    if (m_images != nullptr) ::ImageList_Destroy(m_images);
}

HWND CBitmapButton::Create(HWND parent, const RECT& rect, LPCWSTR text, DWORD style, DWORD exStyle,
                           UINT id) {
    if (!RegisterWindowClass()) return nullptr;
    if (style == 0) style = WS_CHILD | WS_VISIBLE;
    HWND hWnd = ::CreateWindowExW(exStyle, kButtonClass, text, style, rect.left, rect.top,
                                  rect.right - rect.left, rect.bottom - rect.top, parent,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                                  g_module.GetModuleInstance(), nullptr);
    if (hWnd == nullptr) return nullptr;
    if (!SubclassWindow(hWnd)) {
        ::DestroyWindow(hWnd);
        return nullptr;
    }
    return hWnd;
}

BOOL CBitmapButton::SubclassWindow(HWND hWnd) {
    if (!CWindowImpl<CBitmapButton>::SubclassWindow(hWnd)) return FALSE;
    Init();
    return TRUE;
}

void CBitmapButton::Init() {
    ::SetWindowLongW(m_hWnd, GWL_STYLE, ::GetWindowLongW(m_hWnd, GWL_STYLE) | BS_OWNERDRAW);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
}

void CBitmapButton::CreateToolTip() {
    if (m_tip != nullptr || !IsWindow()) return;
    m_tip = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd, nullptr,
                              g_module.GetModuleInstance(), nullptr);
    if (m_tip == nullptr) return;
    ::SendMessageW(m_tip, TTM_ACTIVATE, m_hasTipText ? TRUE : FALSE, 0);
    if (m_hasTipText) RegisterTool();
}

HWND CBitmapButton::GetToolTipCtrl() {
    CreateToolTip();
    return m_tip;
}

void CBitmapButton::RegisterTool() {
    TTTOOLINFOW ti = ToolFor(m_hWnd, m_tipText);
    // Replacing the text keeps one tool, however often the owner changes it.
    if (m_toolRegistered) {
        ::SendMessageW(m_tip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    } else {
        m_toolRegistered = ::SendMessageW(m_tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)) != FALSE;
    }
}

DWORD CBitmapButton::SetBitmapButtonExtendedStyle(DWORD style) {
    const DWORD old = m_extendedStyle;
    m_extendedStyle = style;
    return old;
}

void CBitmapButton::SetImageList(HIMAGELIST list) {
    if (m_images != nullptr && m_images != list) ::ImageList_Destroy(m_images);
    m_images = list;
}

bool CBitmapButton::SetImages(int normal, int pushed, int hover, int disabled) {
    const int index[kImageSlots] = {normal, pushed, hover, disabled};
    bool changed = false;
    for (int slot = 0; slot < kImageSlots; ++slot) {
        changed = changed || m_index[slot] != index[slot];
        m_index[slot] = index[slot];
    }
    return changed;
}

bool CBitmapButton::SetToolTipText(LPCWSTR text) {
    const bool registered = m_tip == nullptr || m_toolRegistered;
    if (text != nullptr && m_hasTipText && m_tipText == text && registered) return true;
    m_hasTipText = text != nullptr;
    m_tipText = text != nullptr ? text : L"";
    if (m_tip == nullptr) return true;
    if (!m_hasTipText) {
        ::SendMessageW(m_tip, TTM_ACTIVATE, FALSE, 0);
        return true;
    }
    ::SendMessageW(m_tip, TTM_ACTIVATE, TRUE, 0);
    RegisterTool();
    return m_toolRegistered;
}

int CBitmapButton::CurrentImageIndex() const {
    ButtonState state;
    state.pressed = m_pressed;
    state.highlighted = IsHoverMode() ? m_mouseOver : m_focus;
    state.disabled = IsWindow() && !::IsWindowEnabled(m_hWnd);
    return ChooseButtonImage(m_index, state);
}

void CBitmapButton::UpdateNow() {
    // A button not on screen is painted whole once it is shown: invalidating it before, as
    // the owner's start sets up its faces and states, is only requests to Wine's server.
    if (!::IsWindowVisible(m_hWnd)) return;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    ::UpdateWindow(m_hWnd);
}

void CBitmapButton::Draw(HDC dc) {
    if (m_images == nullptr) return;
    controls::DrawListImage(m_images, CurrentImageIndex(), dc, 0, 0);
}

LRESULT CBitmapButton::OnMouseMessage(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    if (m_hasTipText) CreateToolTip();
    if (m_tip != nullptr) {
        MSG relayed{m_hWnd, msg, wParam, lParam, static_cast<DWORD>(::GetMessageTime()), {}};
        const DWORD pos = ::GetMessagePos();
        relayed.pt = POINT{static_cast<short>(LOWORD(pos)), static_cast<short>(HIWORD(pos))};
        ::SendMessageW(m_tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
    }
    handled = FALSE;  // the message itself is handled further down the map
    return 0;
}

LRESULT CBitmapButton::OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled) {
    if (m_tip != nullptr) ::DestroyWindow(m_tip);
    m_tip = nullptr;
    m_toolRegistered = false;
    handled = FALSE;
    return 0;
}

LRESULT CBitmapButton::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(m_hWnd, &ps);
    Draw(dc);
    ::EndPaint(m_hWnd, &ps);
    return 0;
}

LRESULT CBitmapButton::OnPrintClient(UINT, WPARAM wParam, LPARAM, BOOL&) {
    Draw(reinterpret_cast<HDC>(wParam));
    return 0;
}

LRESULT CBitmapButton::OnFocus(UINT msg, WPARAM, LPARAM, BOOL& handled) {
    m_focus = msg == WM_SETFOCUS;
    UpdateNow();
    handled = FALSE;
    return 0;
}

LRESULT CBitmapButton::OnLButtonDown(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&) {
    if (IsHoverMode())
        ::SetCapture(m_hWnd);
    else
        DefWindowProc(msg, wParam, lParam);
    if (HasCapture()) {
        m_pressed = true;
        UpdateNow();
    }
    return 0;
}

LRESULT CBitmapButton::OnLButtonUp(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&) {
    if (!IsHoverMode()) return DefWindowProc(msg, wParam, lParam);
    if (HasCapture()) {
        if (m_pressed) {
            const int id = ::GetDlgCtrlID(m_hWnd);
            ::SendMessageW(::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                           reinterpret_cast<LPARAM>(m_hWnd));
            if (!::IsWindow(m_hWnd)) return 0;
            ForgetHoverIfLeft();
        }
        ::ReleaseCapture();
    }
    return 0;
}

// A command may run a modal dialog or box that takes the mouse; the pointer's leave while it
// was open never reaches this button, whose hover image would then stay.
void CBitmapButton::ForgetHoverIfLeft() {
    POINT pointer{};
    RECT window{};
    ::GetCursorPos(&pointer);
    ::GetWindowRect(m_hWnd, &window);
    if (::PtInRect(&window, pointer)) {
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, m_hWnd, HOVER_DEFAULT};
        ::TrackMouseEvent(&tme);
    } else if (m_mouseOver) {
        m_mouseOver = false;
        UpdateNow();
    }
}

LRESULT CBitmapButton::OnCaptureChanged(UINT, WPARAM, LPARAM, BOOL& handled) {
    if (m_pressed) {
        m_pressed = false;
        UpdateNow();
    }
    handled = FALSE;
    return 0;
}

LRESULT CBitmapButton::OnEnable(UINT, WPARAM wParam, LPARAM, BOOL&) {
    // A disabled button gets no more mouse messages, so no leave either: forget the hover.
    if (!wParam) m_mouseOver = m_pressed = false;
    UpdateNow();
    return 0;
}

LRESULT CBitmapButton::OnMouseMove(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&) {
    if (HasCapture()) {
        POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ::ClientToScreen(m_hWnd, &pt);
        RECT window;
        ::GetWindowRect(m_hWnd, &window);
        const bool inside = ::PtInRect(&window, pt) != FALSE;
        if (inside != m_pressed) {
            m_pressed = inside;
            UpdateNow();
        }
    } else if (IsHoverMode()) {
        if (!m_mouseOver) {
            m_mouseOver = true;
            UpdateNow();
            TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, m_hWnd, HOVER_DEFAULT};
            ::TrackMouseEvent(&tme);
        }
    } else {
        return DefWindowProc(msg, wParam, lParam);
    }
    return 0;
}

LRESULT CBitmapButton::OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&) {
    if (m_mouseOver) {
        m_mouseOver = false;
        UpdateNow();
    }
    return 0;
}

LRESULT CBitmapButton::OnKey(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    // The space bar must not press a hover-mode button behind the owner's back.
    handled = IsHoverMode() && wParam == VK_SPACE;
    return 0;
}
