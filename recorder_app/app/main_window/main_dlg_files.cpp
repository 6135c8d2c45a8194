// The Open and Save commands: an MP3 file chosen in the system's file boxes replaces the
// current clip, or receives a copy of it, with the spots in the side file beside it.
#include "framework/file_dialog.h"
#include "main_dlg.h"
#include "runtime/log_file.h"
#include "runtime/system_error.h"

namespace {

const wchar_t kMp3Filter[] = L"mp3 files\0*.mp3\0";

}  // namespace

uint32_t CMainDlg::ClipDuration(const std::wstring& path) {
    ReleasePlayer();
    uint32_t duration = ClipPlayer::kNoDuration;
    if (m_player.SetFile(path.c_str()) && m_player.Open() && m_player.Prepare()) duration = m_player.GetDuration();
    ReleasePlayer();
    return duration;
}

LRESULT CMainDlg::OnOpen(WORD, WORD, HWND, BOOL&) {
    g_log.Print(L"Open file request");
    if (!m_clipPath.empty()) {
        g_log.Print(L"Current file wasn't published. Asking user to open another file");
        const int answer = MessageBoxW(m_hWnd,
            L"Your current clip hasn't been published. \nPress \"ok\" if you want to open another recording anyway.",
            L"Confirm action", MB_ICONINFORMATION | MB_OKCANCEL);
        if (answer != IDOK) {
            g_log.Print(L"Open file aborted by user");
            return 0;
        }
    }
    CFileDialog dialog(TRUE, nullptr, nullptr, OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING, kMp3Filter, m_hWnd);
    if (dialog.DoModal(m_hWnd) != IDOK) {
        g_log.Print(L"Operation cancelled by user (dialog closed)");
        return 0;
    }
    const std::wstring chosen = dialog.m_szFileName;

    // A file in which no frame can be read would leave the earlier clip's length on the
    // time line and play nothing: it is refused, and the current clip stays.
    const uint32_t duration = ClipDuration(chosen);
    if (duration == ClipPlayer::kNoDuration) {
        g_log.Print(L"!!! No MPEG audio can be read from %s", chosen.c_str());
        const std::wstring text = L"Sorry, but this file holds no audio that the recorder can play:\n" + chosen;
        MessageBoxW(m_hWnd, text.c_str(), L"Message", MB_ICONERROR);
        return 0;
    }
    if (duration > m_maxLengthMs) {
        g_log.Print(L"Clip is bigger than it can (2 hours)");
        MessageBoxW(m_hWnd, L"Sorry but episode duration is limited to two hours", L"Message", MB_ICONERROR);
        return 0;
    }

    ForgetHistory();
    m_timeLine.ClearSelection();
    m_clipPath = chosen;
    m_isImported = TRUE;
    g_log.Print(L"File selected: %s", m_clipPath.c_str());
    m_timeLine.SetLength(duration);
    m_timeLine.SetPosition(0);
    m_spots.clear();
    SwitchMode(InterfaceMode::Idle);
    ReadSideFile(m_clipPath);
    m_envelope.ShowClip(m_clipPath, duration);
    return 0;
}

LRESULT CMainDlg::OnSave(WORD, WORD, HWND, BOOL&) {
    g_log.Print(L"File save requested");
    if (m_clipPath.empty()) {
        g_log.Print(L"There is nothing to save. Operation aborted");
        MessageBoxW(m_hWnd, L"There is nothing to save", L"Operation aborted", MB_ICONWARNING);
        return 0;
    }
    CFileDialog dialog(FALSE, L"mp3", nullptr, OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING, kMp3Filter, m_hWnd);
    if (dialog.DoModal(m_hWnd) != IDOK) {
        g_log.Print(L"Save operation aborted by user (dialog closed)");
        return 0;
    }
    const std::wstring target = dialog.m_szFileName;
    if (target != m_clipPath && !CopyFileW(m_clipPath.c_str(), target.c_str(), FALSE)) {
        const std::wstring reason = SystemErrorText(GetLastError());
        const std::wstring text = L"Error occured while saving file: \n" + reason;
        MessageBoxW(m_hWnd, text.c_str(), L"Error", MB_ICONERROR);
        g_log.Print(L"!!! Error occured while saving file: %s", reason.c_str());
        return 0;
    }
    WriteSideFile(target);
    return 0;
}
