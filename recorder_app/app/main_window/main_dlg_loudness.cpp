// The "Loudness..." command of the system menu: the loudness dialog on the current clip and,
// when it evened the clip out, the new clip in its place, with the same spots (its frames
// stand where they stood). The evened-out copy is a recording of the program's own, even of
// a clip the user opened, which stays untouched; a clip recorded here waits for Undo.
#include "app/editing/edited_clip.h"
#include "app/loudness/loudness_dlg.h"
#include "app/loudness/loudness_menu.h"
#include "app/takes/clip_names.h"
#include "audio/loudness/global_gain.h"
#include "main_dlg.h"
#include "runtime/folders.h"
#include "runtime/log_file.h"

LRESULT CMainDlg::OnLoudnessSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    if ((wParam & 0xFFF0) != kLoudnessCommand) {
        bHandled = FALSE;
        return 0;
    }
    // A window disabled by a modal box or dialog of its own is not idle.
    if (m_mode == kModeIdle && !m_clipPath.empty() && ::IsWindowEnabled(m_hWnd)) ShowLoudness();
    return 0;
}

void CMainDlg::ShowLoudness() {
    g_log.Print(L"Loudness requested");
    // The player keeps the clip open; a recorded clip is deleted once it has been replaced.
    ReleasePlayer();
    const ClipState before = CurrentState();
    CLoudnessDlg dialog(m_clipPath, NewEditedClipPath(L"-even"));
    if (dialog.Run(m_hWnd) != IDOK) return;

    m_clipPath = dialog.EvenedPath();
    m_isImported = FALSE;
    m_timeLine.ClearSelection();
    g_log.Print(L"Evened-out clip is: %s (%+d steps)", m_clipPath.c_str(), dialog.Plan().steps);
    // Same frames, same length: the time line, its cursor and the spots stay as they are;
    // every level moves by the same gain.
    m_envelope.Shifted(m_clipPath, dialog.Plan().steps * kGainStepDb);
    ShowSpots();
    RecordStep(StepKind::kEvenOut, before);
}
