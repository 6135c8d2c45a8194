// The publication dialog: the user logs in to the service, picks one of their podcasts,
// types the episode's title and description and confirms the terms; OK copies the clip into
// the podcast's local folder and uploads it behind the progress dialog. It is given the clip
// and its spots, runs modally and leaves the published podcast's site name for the caller.
//
// Everything here runs on the interface thread, the login request included (the dialog does
// not respond until it ends; the request's time-outs bound that wait).
#pragma once
#include <windows.h>
#include <cstdint>
#include <set>
#include <string>
#include <vector>
#include "clip_copy.h"
#include "framework/dialog_impl.h"
#include "res/resource.h"
#include "service/request/podcast_entry.h"

// CSubmitDlg is the publication dialog (login, podcast, title, description), not its progress.
class CSubmitDlg : public CDialogImpl<CSubmitDlg> {
public:
    enum { IDD = IDD_SUBMIT };

    CSubmitDlg() = default;
    ~CSubmitDlg() override;

    BEGIN_MSG_MAP(CSubmitDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnCtlColorStatic)
        COMMAND_ID_HANDLER(IDOK, OnPublish)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
        COMMAND_ID_HANDLER(IDC_LOGIN, OnLogin)
        COMMAND_ID_HANDLER(IDC_FORGOT_PASSWORD, OnForgotPassword)
        COMMAND_ID_HANDLER(IDC_TERMS, OnTerms)
    END_MSG_MAP()

    // The podcast's "Unpublished" folder under "My Podcasts" for the local copy, created.
    std::wstring GetPodcastFolder();
    // Keeps the login name, the podcast and (for this run only) the password for next time.
    void SaveLastLogin();

    bool m_loggedIn = false;
    HWND m_linkCtrl = nullptr;
    HBRUSH m_linkBrush = nullptr;
    HWND m_podcastCombo = nullptr;
    HWND m_titleEdit = nullptr;
    HWND m_descriptionEdit = nullptr;
    HWND m_loginEdit = nullptr;
    HWND m_passwordEdit = nullptr;
    HWND m_loginButton = nullptr;
    HWND m_okButton = nullptr;
    HWND m_termsCheck = nullptr;
    std::wstring m_clipPath;            // in: the clip to publish
    std::vector<PodcastEntry> m_podcasts;
    int32_t m_podcastId = 0;
    std::wstring m_siteName;            // out: the published podcast's site name
    std::set<uint32_t> m_spots;         // in: spot positions, ms
    // The copy this dialog's last OK made: OK pressed again (after a failed or cancelled
    // upload) may replace it, and no other file.
    LocalCopy m_copy;

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCtlColorStatic(UINT, WPARAM wParam, LPARAM lParam, BOOL&);
    LRESULT OnPublish(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnLogin(WORD, WORD, HWND, BOOL&);
    LRESULT OnForgotPassword(WORD code, WORD, HWND, BOOL&);
    LRESULT OnTerms(WORD, WORD, HWND, BOOL&);

    void LoadLastLogin();
    void ShowPodcasts();
    void EnterLoggedInState();
    // Copies the clip into the folder under the day's and the title's name, or a free one
    // beside it; false (reported to the user) if it failed.
    bool CopyClip(const std::wstring& folder, const std::wstring& date, const std::wstring& fileTitle,
                  LocalCopy* copy);
    // Runs the upload behind the progress dialog; true when the service took it.
    bool Upload(const std::wstring& title, const std::wstring& description, const std::wstring& localPath,
                std::wstring* error);
};
