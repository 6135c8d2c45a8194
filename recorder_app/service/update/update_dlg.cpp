#include "update_dlg.h"
#include <commctrl.h>
#include <exception>
#include "runtime/app_globals.h"
#include "runtime/crash_guard.h"
#include "runtime/log_file.h"
#include "service/request/service_messages.h"
#include "service/request/text_encoding.h"
#include "update_download.h"

namespace {

// Everything the worker uses, its own copies: nothing of the dialog or the record.
struct UpdateWork {
    std::shared_ptr<TransferWatch> watch;
    std::wstring fileLocation;
    SignedOffer signedOffer;
    std::wstring appDir;
    HWND dialog;
};

// An update that does not go ahead leaves nothing in "updates": it is taken away before the
// dialog hears of a failure, after a Cancel, and when the Cancel came while the worker was
// telling the dialog of its success (the dialog then ignored it and ended with 2).
DWORD RunUpdateWorker(void* argument) {
    const std::unique_ptr<UpdateWork> work(static_cast<UpdateWork*>(argument));
    const std::atomic<bool>& cancelled = work->watch->cancelled;
    DownloadedUpdate update;
    bool failed = false;
    try {
        DownloadUpdate(work->appDir, work->fileLocation, work->signedOffer, work->watch.get(), &update);
        if (!cancelled.load()) InstallPatcher(work->appDir);
        if (!cancelled.load()) FinishUpdateList(work->appDir, update.unpacked.files);
    } catch (const std::exception& error) {
        failed = true;
        if (!cancelled.load()) g_log.Print(L"!!! Update download failed: %s", FromAnsi(error.what()).c_str());
    } catch (...) {
        failed = true;
    }
    const bool goesAhead = !failed && !cancelled.load();
    if (!goesAhead) RemoveDownloadedUpdate(work->appDir, update);
    // After Cancel the dialog is gone or going: it is told nothing.
    if (!cancelled.load()) SendMessageW(work->dialog, WM_REQUEST_DONE, goesAhead ? 0 : 1, 0);
    if (goesAhead && cancelled.load()) RemoveDownloadedUpdate(work->appDir, update);
    return 0;
}

}  // namespace

CUpdateDlg::CUpdateDlg(CUpdateInfo* info) : m_updateInfo(info), m_watch(std::make_shared<TransferWatch>()) {}

INT_PTR CUpdateDlg::Run(HWND owner) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    return DoModal(owner);
}

LRESULT CUpdateDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    CenterWindow();
    m_progressBar = GetDlgItem(IDC_UPDATE_PROGRESS);
    ::SendMessageW(m_progressBar, PBM_SETRANGE32, 0, m_updateInfo->m_fileSize);
    ::SendMessageW(m_progressBar, PBM_SETPOS, 0, 0);
    m_updateInfo->m_progressWnd = m_hWnd;
    m_watch->progressWnd.store(m_hWnd);
    auto* work = new UpdateWork{m_watch, m_updateInfo->m_fileLocation, m_updateInfo->m_signedOffer, g_appDir, m_hWnd};
    HANDLE thread = CreateThread(nullptr, 0, GuardedThread<&RunUpdateWorker>, work, 0, nullptr);
    if (thread != nullptr) {
        CloseHandle(thread);
    } else {
        delete work;
        PostMessage(WM_REQUEST_DONE, 1, 0);
    }
    return TRUE;
}

LRESULT CUpdateDlg::OnTransferProgress(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
    // The download is over: the bar ends full even when the size announced was not the size
    // that came.
    if (wParam == kTransferFinished) ::SendMessageW(m_progressBar, PBM_SETRANGE32, 0, lParam);
    ::SendMessageW(m_progressBar, PBM_SETPOS, static_cast<WPARAM>(lParam), 0);
    ::UpdateWindow(m_hWnd);
    return 0;
}

LRESULT CUpdateDlg::OnRequestDone(UINT, WPARAM wParam, LPARAM, BOOL&) {
    if (m_watch->cancelled.load()) return 0;
    ::EnableWindow(GetDlgItem(IDCANCEL), FALSE);
    if (wParam == 1) {
        MessageBoxW(m_hWnd, L"Error occured while updating software", L"Error", MB_ICONERROR);
        EndDialog(2);
    } else {
        EndDialog(1);
    }
    return 0;
}

LRESULT CUpdateDlg::OnCancel(WORD, WORD, HWND, BOOL&) {
    // The worker ends its transfer at its next progress call and touches nothing of ours.
    m_watch->progressWnd.store(nullptr);
    m_watch->cancelled.store(true);
    m_updateInfo->m_progressWnd = nullptr;
    EndDialog(2);
    return 0;
}
