// The selection on the time line from the keyboard: Shift+Left and Shift+Right grow or shrink
// it by a column from the cursor's side, wherever the focus is.
#include "main_dlg.h"

LRESULT CMainDlg::OnSelectBack(WORD, WORD, HWND, BOOL&) {
    // The recording timer owns the time line while a take runs.
    if (m_mode != kModeRecording) m_timeLine.StepSelection(-1);
    return 0;
}

LRESULT CMainDlg::OnSelectForward(WORD, WORD, HWND, BOOL&) {
    if (m_mode != kModeRecording) m_timeLine.StepSelection(+1);
    return 0;
}
