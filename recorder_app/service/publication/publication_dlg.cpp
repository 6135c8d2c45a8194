#include "publication_dlg.h"
#include <windows.h>
#include <shellapi.h>
#include <memory>
#include "clip_copy.h"
#include "file_name_cleaning.h"
#include "progress_dlg.h"
#include "runtime/folders.h"
#include "runtime/log_file.h"
#include "runtime/system_error.h"
#include "runtime/text_format.h"
#include "runtime/version.h"
#include "runtime/wipe_text.h"
#include "service/request/form_values.h"
#include "service/request/server_request.h"
#include "service/request/service_site.h"
#include "settings/settings.h"
#include "web_address.h"

namespace {

// Field lengths the dialog reads, in characters without the terminating zero.
constexpr int kCredentialChars = 2047;
constexpr int kFieldChars = 2047;
constexpr int kEpisodeTextChars = 8191;
constexpr int kForgotLoginChars = 1023;


std::wstring ControlText(HWND control, int maxChars) {
    std::wstring text(static_cast<size_t>(maxChars) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, &text[0], maxChars + 1)));
    return text;
}

std::wstring SupportMessage(const wchar_t* start) {
    return std::wstring(start) + kSupportEmail + L" for help.";
}

std::wstring TodayText() {
    SYSTEMTIME today;
    GetLocalTime(&today);
    wchar_t text[16];
    FormatTruncated(text, 16, L"%04u-%02u-%02u", today.wYear, today.wMonth, today.wDay);
    return text;
}

}  // namespace

CSubmitDlg::~CSubmitDlg() {
    if (m_linkBrush != nullptr) DeleteObject(m_linkBrush);
}

LRESULT CSubmitDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    m_loggedIn = false;
    CenterWindow();

    m_linkCtrl = GetDlgItem(IDC_FORGOT_PASSWORD);
    m_linkBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    // The class cursor of the static controls: from here on every static text of the process
    // shows the hand, as the link asks for.
    SetClassLongPtrW(m_linkCtrl, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(LoadCursorW(nullptr, IDC_HAND)));
    m_loginEdit = GetDlgItem(IDC_LOGIN_NAME);
    m_passwordEdit = GetDlgItem(IDC_PASSWORD);
    m_podcastCombo = GetDlgItem(IDC_PODCAST);
    m_titleEdit = GetDlgItem(IDC_EPISODE_TITLE);
    m_descriptionEdit = GetDlgItem(IDC_DESCRIPTION);
    for (HWND field : {m_podcastCombo, m_titleEdit, m_descriptionEdit}) ::EnableWindow(field, FALSE);
    m_loginButton = GetDlgItem(IDC_LOGIN);
    m_termsCheck = GetDlgItem(IDC_TERMS);
    m_okButton = GetDlgItem(IDOK);
    ::EnableWindow(m_okButton, FALSE);

    LoadLastLogin();

    wchar_t caption[64];
    FormatTruncated(caption, 64, L"Quillbank Recorder %d.%02d", kVersionMajor, kVersionMinor);
    SetWindowText(caption);

    ::SetFocus(GetWindowTextLengthW(m_loginEdit) > 0 ? m_passwordEdit : m_loginEdit);
    return FALSE;  // the focus is set
}

void CSubmitDlg::LoadLastLogin() {
    const CSettings::LastLogin last = CSettings::ReadLastLogin();
    m_podcastId = last.podcastId;
    ::SetWindowTextW(m_loginEdit, last.user.c_str());
    ::SetWindowTextW(m_passwordEdit, g_settings.m_rememberedPassword.c_str());
}

LRESULT CSubmitDlg::OnCtlColorStatic(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    if (reinterpret_cast<HWND>(lParam) != m_linkCtrl) return 0;
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, RGB(0, 0, 255));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(m_linkBrush);
}

LRESULT CSubmitDlg::OnCancel(WORD, WORD, HWND, BOOL&) {
    EndDialog(2);
    return 0;
}

LRESULT CSubmitDlg::OnTerms(WORD, WORD, HWND, BOOL&) {
    const bool checked = ::SendMessageW(m_termsCheck, BM_GETCHECK, 0, 0) == BST_CHECKED;
    ::EnableWindow(m_okButton, checked && m_loggedIn);
    return 0;
}

LRESULT CSubmitDlg::OnLogin(WORD, WORD, HWND, BOOL&) {
    ::EnableWindow(m_loginButton, FALSE);
    const std::wstring login = ControlText(m_loginEdit, kCredentialChars);
    std::wstring password = ControlText(m_passwordEdit, kCredentialChars);
    CServerRequest request(m_hWnd, login, password, REQUEST_LOGIN);
    WipeText(&password);
    if (!request.Perform()) {
        const std::wstring error = request.GetError();
        g_log.Print(L"Login failed: %s", error.c_str());
        MessageBoxW(m_hWnd, error.c_str(), L"Login failed", MB_ICONERROR);
        ::EnableWindow(m_loginButton, TRUE);
        return 0;
    }
    m_podcasts = request.GetPodcasts();
    ShowPodcasts();
    return 0;
}

void CSubmitDlg::ShowPodcasts() {
    bool selected = false;
    for (const PodcastEntry& podcast : m_podcasts) {
        const LRESULT position = ::SendMessageW(m_podcastCombo, CB_ADDSTRING, 0,
                                                reinterpret_cast<LPARAM>(podcast.name.c_str()));
        // A later entry with the same id wins over an earlier one.
        if (podcast.id == m_podcastId && position >= 0) {
            ::SendMessageW(m_podcastCombo, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
            selected = true;
        }
    }
    if (!m_podcasts.empty() && !selected) {
        m_podcastId = m_podcasts.front().id;
        if (::SendMessageW(m_podcastCombo, CB_SETCURSEL, 0, 0) == CB_ERR) {
            g_log.Print(L"Error while selecting default podcast");
            const std::wstring text = SupportMessage(L"Error while selecting default podcast. Please contact ");
            MessageBoxW(m_hWnd, text.c_str(), L"Error", MB_ICONERROR);
            return;
        }
    }
    EnterLoggedInState();
}

void CSubmitDlg::EnterLoggedInState() {
    ::EnableWindow(m_loginEdit, FALSE);
    ::EnableWindow(m_passwordEdit, FALSE);
    ::EnableWindow(m_podcastCombo, TRUE);
    ::EnableWindow(m_titleEdit, TRUE);
    ::SetFocus(m_titleEdit);
    ::EnableWindow(m_descriptionEdit, TRUE);
    if (::SendMessageW(m_termsCheck, BM_GETCHECK, 0, 0) == BST_CHECKED) ::EnableWindow(m_okButton, TRUE);
    m_loggedIn = true;  // Login stays disabled: the dialog logs in once
    g_log.Print(L"Successfully logged on to server");
}

LRESULT CSubmitDlg::OnForgotPassword(WORD code, WORD, HWND, BOOL&) {
    if (code != STN_CLICKED) return 0;
    g_log.Print(L"Forgot password clicked");
    const std::wstring address = ForgotPasswordAddress(kServiceWebSiteHost, ControlText(m_loginEdit, kForgotLoginChars));
    ShellExecuteW(m_hWnd, L"open", address.c_str(), nullptr, nullptr, SW_SHOW);
    return 0;
}

LRESULT CSubmitDlg::OnPublish(WORD, WORD, HWND, BOOL&) {
    g_log.Print(L"Publication started");
    if (TrimWhiteSpace(ControlText(m_titleEdit, kFieldChars)).empty()) {
        g_log.Print(L"Publication aborted: episode title not filled");
        MessageBoxW(m_hWnd, L"Please, fill in the episode title first.", L"A little problem...", MB_ICONINFORMATION);
        return 0;
    }
    const LRESULT position = ::SendMessageW(m_podcastCombo, CB_GETCURSEL, 0, 0);
    if (position < 0 || static_cast<size_t>(position) >= m_podcasts.size()) {
        const std::wstring text =
            SupportMessage(L"Error occured while getting selected podcast information. Please contact ");
        g_log.Print(L"%s", text.c_str());
        MessageBoxW(m_hWnd, text.c_str(), L"Error", MB_ICONERROR);
        return 0;
    }
    m_podcastId = m_podcasts[static_cast<size_t>(position)].id;
    m_siteName = m_podcasts[static_cast<size_t>(position)].siteName;

    // From here on the title is used as typed, surrounding spaces included.
    const std::wstring title = ControlText(m_titleEdit, kEpisodeTextChars);
    const std::wstring description = ControlText(m_descriptionEdit, kEpisodeTextChars);
    const std::wstring folder = GetPodcastFolder();
    // A long title is cut in the copy's name; the service is sent it whole.
    LocalCopy copy;
    if (!CopyClip(folder, TodayText(), CleanFileTitle(title), &copy)) return 0;
    m_copy = copy;
    const std::wstring& localPath = copy.path;

    g_log.Print(L"Starting server request");
    std::wstring error;
    if (Upload(title, description, localPath, &error)) {
        EndDialog(1);
        SaveLastLogin();
        g_log.Print(L"Publication request completed sucessfully");
        return 0;
    }
    g_log.Print(L"Publication failed. Server message: %s", error.c_str());
    const std::wstring text = L"Quillbank message: " + error +
        L"\n\nNote that you have the local copy of your clip acessible at this location:\n" + localPath;
    MessageBoxW(m_hWnd, text.c_str(), L"Episode publication failed", MB_ICONERROR);
    return 0;
}

bool CSubmitDlg::CopyClip(const std::wstring& folder, const std::wstring& date, const std::wstring& fileTitle,
                          LocalCopy* copy) {
    // A copy that failed, or stopped part-way on a full disk, must never be uploaded as the
    // episode. Only this dialog's own earlier copy may be replaced: another file of the same
    // name is another episode's, whose recording may be gone.
    if (CopyClipIntoFolder(m_clipPath, folder, date, fileTitle, m_copy, copy)) return true;
    const std::wstring reason = SystemErrorText(GetLastError());
    g_log.Print(L"!!! Copying the clip to %s failed: %s", copy->path.c_str(), reason.c_str());
    const std::wstring text = L"The clip could not be copied to\n" + copy->path + L"\n\n" + reason;
    MessageBoxW(m_hWnd, text.c_str(), L"Error", MB_ICONERROR);
    return false;
}

bool CSubmitDlg::Upload(const std::wstring& title, const std::wstring& description, const std::wstring& localPath,
                        std::wstring* error) {
    std::wstring password = ControlText(m_passwordEdit, kCredentialChars);
    // Shared with the worker, which may outlive the progress dialog after a Cancel.
    const auto request = std::make_shared<CServerRequest>(m_hWnd, ControlText(m_loginEdit, kCredentialChars),
                                                          password, REQUEST_PUBLISH, m_podcastId, title,
                                                          description, localPath, m_spots);
    WipeText(&password);
    CPublishDlg progress(request, localPath);
    const bool published = progress.Run(m_hWnd) == 1;
    *error = request->GetError();
    return published;
}

std::wstring CSubmitDlg::GetPodcastFolder() {
    const std::wstring podcasts = DocumentsFolder() + L"\\My Podcasts";
    const std::wstring name = FitFolderName(CleanFolderName(ControlText(m_podcastCombo, kFieldChars)), podcasts.size());
    std::wstring folder = podcasts + L"\\" + name;
    CreateDirectoryW(folder.c_str(), nullptr);  // an existing folder is fine
    folder += L"\\Unpublished";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

void CSubmitDlg::SaveLastLogin() {
    std::wstring password = ControlText(m_passwordEdit, kCredentialChars);
    CSettings::SaveLastLogin(ControlText(m_loginEdit, kCredentialChars), m_podcastId);
    g_settings.RememberPassword(password);
    WipeText(&password);
}
