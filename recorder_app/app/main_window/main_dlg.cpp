#include "main_dlg.h"
#include "app/envelope/envelope_cache.h"
#include "app/editing/edit_menu.h"
#include "app/envelope/snap_menu.h"
#include "app/history/history_menu.h"
#include "app/loudness/loudness_menu.h"
#include "app/startup_timeline.h"
#include "audio/capture/level_listener.h"
#include "framework/app_module.h"
#include "level_meter.h"
#include "main_dlg_timers.h"
#include "runtime/folders.h"
#include "runtime/log_file.h"
#include "runtime/text_format.h"
#include "runtime/version.h"
#include "settings/settings.h"

CMainDlg::~CMainDlg() {
    if (m_bigIcon != nullptr) DestroyIcon(m_bigIcon);
    if (m_smallIcon != nullptr) DestroyIcon(m_smallIcon);
}

BOOL CMainDlg::PreTranslateMessage(MSG* pMsg) {
    if (HandleCrashTestRequest(*pMsg)) return TRUE;
    // Accelerators first, so that the arrow keys rewind wherever the focus is.
    if (TranslateAcceleratorW(m_hWnd, m_hAccel, pMsg)) return TRUE;
    return IsDialogMessageW(m_hWnd, pMsg);
}

LRESULT CMainDlg::OnEraseBkgnd(UINT, WPARAM wParam, LPARAM, BOOL&) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    RECT client;
    GetClientRect(m_hWnd, &client);
    if (HDC background = m_background.Dc()) BitBlt(dc, 0, 0, client.right, client.bottom, background, 0, 0, SRCCOPY);
    return 1;
}

LRESULT CMainDlg::OnChar(UINT, WPARAM, LPARAM, BOOL&) {
    MessageBoxW(m_hWnd, L"Key pressed", L"", MB_OK);
    return 0;
}

LRESULT CMainDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    if (CMessageLoop* loop = g_module.GetMessageLoop()) loop->AddMessageFilter(this);
    m_background.Load(IDB_BACKGROUND);
    FitClientToBackgroundCentred();
    InitControls();
    MarkStartupStep(L"controls");
    SetIcons();
    m_envelope.Attach(m_hWnd, WM_LEVELS_MEASURED, &m_timeLine);
    m_hAccel = LoadAcceleratorsW(g_module.GetResourceInstance(), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    m_player.SetOwnerWindow(m_hWnd);
    ReleasePlayer();

    wchar_t title[128];
    FormatTruncated(title, 128, L"Quillbank Recorder %d.%02d", kVersionMajor, kVersionMinor);
    SetWindowText(title);

    m_clipPath.clear();
    m_isImported = FALSE;
    m_startPos = 0;
    m_mode = kModeIdle;
    m_warned = false;
    m_maxLengthMs = recording::kMaxLengthMs;    // values in app/command_rules/recording_clock.h
    m_warnBeforeMs = recording::kWarnBeforeMs;

    m_volume.SetLevel(0);
    return TRUE;
}

void CMainDlg::FinishStart() {
    InitMicrophone();
    AddLoudnessMenuItem(m_hWnd);
    AddHistoryMenuItems(m_hWnd);
    AddEditMenuItems(m_hWnd);
    AddSnapMenuItem(m_hWnd, g_settings.m_snapToPauses);
    MarkStartupStep(L"system menu");

    const std::wstring podcasts = PodcastsFolder();
    g_log.Print(L"Initializing podcasts dir: %s", podcasts.c_str());
    if (!podcasts.empty()) CreateDirectoryW(podcasts.c_str(), nullptr);

    g_log.Print(L"Starting sound volume indicator listener...");
    SetTimer(m_hWnd, kListenerStartTimer, kListenerStartTimerMs, nullptr);
    MarkStartupStep(L"level listener due");
}

LRESULT CMainDlg::OnCancel(WORD, WORD, HWND, BOOL&) {
    // Closing must not cut a recording short or leave its parts unjoined, nor leave the
    // player sounding on its own thread.
    if (m_mode == kModeRecording) StopRecording();
    else if (m_mode == kModePlaying) StopPlayback();
    ReleasePlayer();
    m_envelope.StopScan();
    ForgetHistory();
    g_log.Print(L"Destroying main dialog");
    if (CMessageLoop* loop = g_module.GetMessageLoop()) loop->RemoveMessageFilter(this);
    DestroyWindow();
    PostQuitMessage(0);
    return 0;
}

LRESULT CMainDlg::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    switch (wParam) {
    case kListenerStartTimer:
        KillTimer(m_hWnd, kListenerStartTimer);
        RestoreMicrophone();
        OpenLevelListener();
        envelope_cache::Prune();
        return 0;
    case kListenerTimer:
        m_volume.SetLevel(static_cast<int>(MeterValue(LevelListener::Level())));
        return 0;
    case kPlaybackTimer:
        OnPlaybackTick();
        return 0;
    case kRecordingTimer:
        OnRecordingTick();
        return 0;
    default:
        bHandled = FALSE;
        return 0;
    }
}

LRESULT CMainDlg::OnCrashTest(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    HandleCrashTestInWindow(wParam, lParam);
    return 0;
}

void CMainDlg::ReleasePlayer() {
    if (m_player.GetState() == ClipPlayer::kClosed) return;
    if (m_player.GetState() == ClipPlayer::kPlaying) m_player.Stop();
    m_player.Close();
}

void CMainDlg::StartLevelListener() {
    g_log.Print(L"Starting sound volume indicator listener...");
    OpenLevelListener();
}

void CMainDlg::StopLevelListener() {
    g_log.Print(L"Stopping sound level indicator listener...");
    KillTimer(m_hWnd, kListenerStartTimer);  // a start still pending from start-up is dropped
    LevelListener::Stop();
    KillTimer(m_hWnd, kListenerTimer);
}

void CMainDlg::SetIcons() {
    HINSTANCE instance = g_module.GetResourceInstance();
    auto load = [instance](int metricX, int metricY) {
        return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                             GetSystemMetrics(metricX), GetSystemMetrics(metricY),
                                             LR_DEFAULTCOLOR));
    };
    // Not shared: the window's icons are destroyed with the dialog.
    m_bigIcon = load(SM_CXICON, SM_CYICON);
    m_smallIcon = load(SM_CXSMICON, SM_CYSMICON);
    // The small one first: a window given only a big icon makes itself a small copy of it,
    // which the small icon then replaces, and under Wine each icon set is converted for the
    // X server anew.
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_smallIcon));
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_bigIcon));
}
