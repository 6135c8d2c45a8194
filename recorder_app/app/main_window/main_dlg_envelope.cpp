// The clip's envelope on the time line and the pauses found in it: the results of a running
// scan, the "Snap spots to pauses" choice, and Ctrl+Left and Ctrl+Right, which walk the
// pauses of the clip by ear.
#include "app/envelope/snap_menu.h"
#include "main_dlg.h"
#include "runtime/log_file.h"
#include "settings/settings.h"

LRESULT CMainDlg::OnLevelsMeasured(UINT, WPARAM wParam, LPARAM, BOOL&) {
    m_envelope.OnScanMessage(wParam);
    return 0;
}

LRESULT CMainDlg::OnSnapSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    if ((wParam & 0xFFF0) != kSnapCommand) {
        bHandled = FALSE;
        return 0;
    }
    const bool snap = !g_settings.m_snapToPauses;
    if (!g_settings.SetSnapToPauses(snap)) g_log.Print(L"!!! The snap choice could not be saved");
    CheckSnapMenuItem(m_hWnd, snap);
    g_log.Print(L"Snap spots to pauses: %s", snap ? L"on" : L"off");
    return 0;
}

LRESULT CMainDlg::OnPauseBack(WORD, WORD, HWND, BOOL&) {
    StepToPause(false);
    return 0;
}

LRESULT CMainDlg::OnPauseForward(WORD, WORD, HWND, BOOL&) {
    StepToPause(true);
    return 0;
}

pauses::Scope CMainDlg::PauseScope() const {
    pauses::Scope scope;
    scope.codes = &m_envelope.Codes();
    scope.quietCode = pauses::QuietCode(m_envelope.Codes());
    scope.live = m_mode != kModeIdle;
    scope.limitMs = scope.live ? m_timeLine.GetPosition() : m_timeLine.GetLength();
    return scope;
}

// As the rewind keys: nothing while recording (the take owns the cursor), and playback
// stops first.
void CMainDlg::StepToPause(bool forward) {
    g_log.Print(forward ? L"Next pause requested" : L"Previous pause requested");
    if (m_mode == kModeRecording) return;
    if (m_mode == kModePlaying) StopPlayback();
    const uint32_t cursor = m_timeLine.GetPosition();
    uint32_t middle = 0;
    const pauses::Scope scope = PauseScope();
    const bool found = forward ? pauses::NextPauseMiddle(scope, cursor, middle)
                               : pauses::PreviousPauseMiddle(scope, cursor, middle);
    if (!found) {
        MessageBeep(MB_OK);
        return;
    }
    g_log.Print(L"Cursor moved to the pause at %d ms", static_cast<int>(middle));
    m_timeLine.SetPosition(static_cast<int32_t>(middle));
}

bool CMainDlg::SnapSpot(uint32_t position, uint32_t& target) const {
    if (!g_settings.m_snapToPauses) return false;
    const uint32_t length = m_timeLine.GetLength();
    const uint32_t tolerance = spots::HitTolerance(m_timeLine.GetPixelsPerSecond());
    auto allowed = [&](uint32_t middle) {
        uint32_t nearby = 0;
        return spots::CheckPlacement(m_spots, middle, length).verdict == spots::Placement::kAllowed &&
               !spots::SpotAt(m_spots, middle, tolerance, nearby);
    };
    return pauses::SnapTarget(PauseScope(), position, allowed, target) && target != position;
}
