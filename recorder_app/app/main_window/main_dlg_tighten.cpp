// "Tighten pauses...": the pauses longer than a length the user sets shortened from their
// middle, in one cut of the whole clip and as one step of the history. The dialog writes the
// new clip; the window then takes it in as any cut, with the spots of each shortened pause
// moved into what is left of it.
#include "app/editing/tighten_dlg.h"
#include "main_dlg.h"
#include "runtime/log_file.h"

void CMainDlg::TightenPauses() {
    g_log.Print(L"Tighten pauses requested");
    // Refused while recording or playing, and while a box or dialog of the window's is open.
    if (m_mode != kModeIdle || m_clipPath.empty() || !::IsWindowEnabled(m_hWnd)) {
        MessageBeep(MB_OK);
        return;
    }
    cuts::FrameClock clock;
    if (!ClipFrameClock(m_clipPath, clock)) {
        g_log.Print(L"!!! %s failed: the clip holds no MPEG audio frames", StepName(StepKind::kTighten));
        const std::wstring text = L"Nothing was deleted: the clip holds no MPEG audio frames.\n\nThe clip is as it was:\n" +
                                  m_clipPath;
        MessageBoxW(m_hWnd, text.c_str(), L"Error", MB_ICONERROR);
        return;
    }
    ReleasePlayer();  // the player keeps the clip open
    CTightenDlg dialog(m_clipPath, NewEditedClipPath(L"-tight"), m_envelope, m_timeLine.GetLength(), clock);
    if (dialog.Run(m_hWnd) != IDOK) return;

    std::vector<timeline::Selection> stretches;
    std::vector<cuts::PauseSpan> shortened;
    for (const tighten::Shortening& cut : dialog.Plan().cuts) {
        timeline::Selection stretch;
        stretch.start = cut.startMs;
        stretch.end = cut.endMs;
        stretches.push_back(stretch);
        shortened.push_back(cuts::PauseSpan{cut.pause.startMs, cut.pause.endMs});
    }
    ApplyCuts(clock, stretches, StepKind::kTighten, timeline::Selection(), &dialog.Written(), shortened);
}
