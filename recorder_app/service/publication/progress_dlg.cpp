#include "progress_dlg.h"
#include <commctrl.h>
#include <climits>
#include "runtime/log_file.h"
#include "service/request/request_thread.h"

namespace {

// The progress bar takes a 32-bit range; an episode is far smaller, but a file that is not
// must not wrap the range round.
int ProgressRangeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return 0;
    if (data.nFileSizeHigh != 0 || data.nFileSizeLow > static_cast<DWORD>(INT_MAX)) return INT_MAX;
    return static_cast<int>(data.nFileSizeLow);
}

}  // namespace

CPublishDlg::CPublishDlg(std::shared_ptr<CServerRequest> request, const std::wstring& filePath)
    : m_request(std::move(request)), m_filePath(filePath) {}

CPublishDlg::~CPublishDlg() { CloseWorkerHandle(); }

INT_PTR CPublishDlg::Run(HWND owner) {
    // The progress bar's class must exist before the template is made into a window.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    return DoModal(owner);
}

LRESULT CPublishDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    CenterWindow();
    m_workerThread = nullptr;
    m_progressBar = GetDlgItem(IDC_PUBLISH_PROGRESS);
    const int size = ProgressRangeOf(m_filePath);
    m_request->SetNotifyWindow(m_hWnd);
    ::SendMessageW(m_progressBar, PBM_SETRANGE32, 0, size);
    ::SendMessageW(m_progressBar, PBM_SETPOS, 0, 0);
    m_workerThread = StartRequestThread(m_request);
    if (m_workerThread == nullptr) {
        g_log.Print(L"!!! Publication worker could not be started (error %lu)", GetLastError());
        m_request->SetNotifyWindow(nullptr);
        EndDialog(2);
    }
    return TRUE;
}

LRESULT CPublishDlg::OnTransferProgress(UINT, WPARAM, LPARAM lParam, BOOL&) {
    ::SendMessageW(m_progressBar, PBM_SETPOS, static_cast<WPARAM>(lParam), 0);
    ::UpdateWindow(m_hWnd);
    return 0;
}

LRESULT CPublishDlg::OnRequestDone(UINT, WPARAM wParam, LPARAM, BOOL&) {
    ::EnableWindow(GetDlgItem(IDCANCEL), FALSE);
    m_request->SetNotifyWindow(nullptr);
    CloseWorkerHandle();
    EndDialog(wParam == 1 ? 1 : 2);
    return 0;
}

LRESULT CPublishDlg::OnCancel(WORD, WORD, HWND, BOOL&) {
    g_log.Print(L"Publication cancelled by user");
    m_request->Abandon();
    CloseWorkerHandle();
    EndDialog(2);
    return 0;
}

void CPublishDlg::CloseWorkerHandle() {
    if (m_workerThread == nullptr) return;
    CloseHandle(m_workerThread);
    m_workerThread = nullptr;
}
