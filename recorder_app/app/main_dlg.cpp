#include "main_dlg.h"
#include <commctrl.h>
#include "../framework/app_module.h"
#include "folders.h"
#include "log_file.h"
#include "text_format.h"
#include "version.h"

namespace {

struct ButtonPlace {
    int id;
    int x, y, width, height;  // pixels; the size is one image of the button's strip
};

// The background bitmap covers the client area, and everything is laid out on it in pixels.
constexpr int kClientWidth = 290, kClientHeight = 276;

// In the order the buttons are initialised.
constexpr ButtonPlace kButtonPlaces[] = {
    {IDC_PLAY, 197, 187, 41, 34},        {IDC_REWIND_BACK, 154, 187, 43, 34},
    {IDC_REWIND_FORWARD, 238, 187, 43, 34}, {IDC_RECORD, 50, 187, 43, 34},
    {IDC_ADVSPOT, 8, 187, 42, 34},       {IDC_PUBLISH, 205, 234, 75, 29},
    {IDC_OPEN, 8, 234, 62, 29},          {IDC_SAVE, 70, 234, 62, 29},
};

}  // namespace

CMainDlg::~CMainDlg() = default;

BOOL CMainDlg::PreTranslateMessage(MSG* pMsg) {
    if (HandleCrashTestRequest(*pMsg)) return TRUE;
    // Accelerators first, so that the arrow keys rewind wherever the focus is.
    if (TranslateAcceleratorW(m_hWnd, m_hAccel, pMsg)) return TRUE;
    return IsDialogMessageW(m_hWnd, pMsg);
}

LRESULT CMainDlg::OnEraseBkgnd(UINT, WPARAM wParam, LPARAM, BOOL&) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    HBITMAP background = LoadBitmapW(g_module.GetResourceInstance(), MAKEINTRESOURCEW(IDB_BACKGROUND));
    RECT client;
    GetClientRect(m_hWnd, &client);
    if (background != nullptr) {
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, background);
        BitBlt(dc, 0, 0, client.right, client.bottom, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
        DeleteObject(background);
    }
    return 1;
}

LRESULT CMainDlg::OnChar(UINT, WPARAM, LPARAM, BOOL&) {
    MessageBoxW(m_hWnd, L"Key pressed", L"", MB_OK);
    return 0;
}

LRESULT CMainDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    if (CMessageLoop* loop = g_module.GetMessageLoop()) loop->AddMessageFilter(this);
    FitClientToBackground();
    CenterWindow();
    InitControls();
    SetIcons();
    m_hAccel = LoadAcceleratorsW(g_module.GetResourceInstance(), MAKEINTRESOURCEW(IDR_ACCELERATORS));

    const std::wstring podcasts = PodcastsFolder();
    g_log.Print(L"Initializing podcasts dir: %s", podcasts.c_str());
    if (!podcasts.empty()) CreateDirectoryW(podcasts.c_str(), nullptr);

    wchar_t title[128];
    FormatTruncated(title, 128, L"Quillbank Recorder %d.%02d", kVersionMajor, kVersionMinor);
    SetWindowText(title);

    m_clipPath.clear();
    m_isImported = FALSE;
    m_startPos = 0;
    m_mode = 1;
    m_warned = false;
    m_maxLengthMs = 7200000;
    m_warnBeforeMs = 900000;
    return TRUE;
}

LRESULT CMainDlg::OnCancel(WORD, WORD, HWND, BOOL&) {
    g_log.Print(L"Destroying main dialog");
    if (CMessageLoop* loop = g_module.GetMessageLoop()) loop->RemoveMessageFilter(this);
    DestroyWindow();
    PostQuitMessage(0);
    return 0;
}

LRESULT CMainDlg::OnCrashTest(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    HandleCrashTestInWindow(wParam, lParam);
    return 0;
}

void CMainDlg::InitControls() {
    g_log.Print(L"Initializing controls...");
    for (const ButtonPlace& place : kButtonPlaces) {
        CWindow& button = Button(place.id);
        button.m_hWnd = GetDlgItem(place.id);
        MoveWindow(button, place.x, place.y, place.width, place.height, TRUE);
    }
    SwitchMode(InterfaceMode::New);
}

// Dialog units depend on the font the system substitutes for the template's; the pixel layout
// does not, so the client area is set to the background's size.
void CMainDlg::FitClientToBackground() {
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, GetWindowLongW(m_hWnd, GWL_STYLE), FALSE, GetWindowLongW(m_hWnd, GWL_EXSTYLE));
    SetWindowPos(m_hWnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMainDlg::SetIcons() {
    HINSTANCE instance = g_module.GetResourceInstance();
    auto load = [instance](int metricX, int metricY) {
        return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                             GetSystemMetrics(metricX), GetSystemMetrics(metricY),
                                             LR_DEFAULTCOLOR));
    };
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(load(SM_CXICON, SM_CYICON)));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(load(SM_CXSMICON, SM_CYSMICON)));
}

void CMainDlg::SwitchMode(InterfaceMode mode) {
    const ModeLayout& layout = LayoutOf(mode);
    g_log.Print(L"%s", layout.logLine);
    m_mode = layout.modeValue;
    for (const ButtonChange& change : layout.buttons) {
        if (change.enable != Enable::Keep) Button(change.id).EnableWindow(change.enable == Enable::On);
    }
}

CWindow& CMainDlg::Button(int id) {
    switch (id) {
    case IDC_PLAY: return m_btnPlay;
    case IDC_REWIND_BACK: return m_btnRewindBack;
    case IDC_REWIND_FORWARD: return m_btnRewindForward;
    case IDC_RECORD: return m_btnRecord;
    case IDC_PUBLISH: return m_btnPublish;
    case IDC_ADVSPOT: return m_btnAdvSpot;
    case IDC_OPEN: return m_btnOpen;
    default: return m_btnSave;
    }
}
