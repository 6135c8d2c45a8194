// The Publish command: checks that there is a clip, warns when no spot was placed, runs the
// publication dialog and, once the episode is published, forgets the clip and offers to open
// the podcast's web page.
#include <windows.h>
#include <shellapi.h>
#include "main_dlg.h"
#include "runtime/log_file.h"
#include "service/publication/file_name_cleaning.h"
#include "service/publication/publication_dlg.h"
#include "service/publication/web_address.h"
#include "settings/settings.h"

namespace {

const wchar_t kPublishedText[] = L"Your podcasting has been published successfully.";

}  // namespace

LRESULT CMainDlg::OnPublish(WORD, WORD, HWND, BOOL&) {
    g_log.Print(L"Starting podcast publication");
    if (m_clipPath.empty()) {
        g_log.Print(L"There is nothing to submit. Aborting.");
        MessageBoxW(m_hWnd, L"There is nothing to submit", L"Error", MB_ICONERROR);
        return 0;
    }
    if (m_spots.empty()) {
        g_log.Print(L"Warning user that advertising spots is not set");
        const int answer = MessageBoxW(m_hWnd,
            L"You have not set an advertising spots in your clip.\nThis means that advertising spots will be "
            L"automatically placed before your clip.\nDo you wish continue uploading?",
            L"Question", MB_ICONQUESTION | MB_YESNO);
        if (answer != IDYES) {
            g_log.Print(L"Publication is aborted by user");
            return 0;
        }
    }
    CSubmitDlg dialog;
    dialog.m_clipPath = m_clipPath;
    dialog.m_spots = m_spots;
    g_log.Print(L"Entering publication dialog");
    if (dialog.DoModal(GetActiveWindow()) == 1) {
        g_log.Print(L"Publication completed");
        OnPublished(dialog.m_siteName);
    } else {
        g_log.Print(L"Publication cancelled");
        SwitchMode(InterfaceMode::Idle);
    }
    return 0;
}

void CMainDlg::OnPublished(const std::wstring& siteName) {
    m_spots.clear();
    SwitchMode(InterfaceMode::New);
    m_timeLine.SetLength(0);
    m_envelope.ShowClip(L"", 0);
    // A recording of ours goes to the Recycle Bin once published (its copy stays in the
    // podcast's folder), and so do the clips Undo kept; a file the user opened stays.
    if (!m_isImported) RecycleClip(TrimWhiteSpace(m_clipPath));
    ForgetHistory();
    m_clipPath.clear();
    m_isImported = FALSE;
    m_prevPartPath.clear();
    m_startPos = 0;
    m_spots.clear();
    m_timeLine.SetSpots(m_spots);

    // The site name comes from the service's reply: only a plain host label may become part
    // of the address, so that the reply cannot send the browser elsewhere. The user still
    // learns that the episode went out.
    if (!IsHostLabel(siteName)) {
        g_log.Print(L"!!! Site name \"%s\" is not a host name: not offering the web page", siteName.c_str());
        MessageBoxW(m_hWnd, kPublishedText, L"Done", MB_ICONINFORMATION | MB_OK);
        return;
    }
    const std::wstring question = std::wstring(kPublishedText) + L"\nDou you wish to look at it in the web?";
    const int answer = MessageBoxW(m_hWnd, question.c_str(), L"Done", MB_ICONINFORMATION | MB_YESNO);
    if (answer != IDYES) return;
    const std::wstring address = EpisodePageAddress(siteName, g_settings.m_serverHost);
    ShellExecuteW(m_hWnd, L"open", address.c_str(), nullptr, nullptr, SW_SHOW);
}
