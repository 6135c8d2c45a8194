#include "reporter_dlg.h"
#include <commctrl.h>
#include <vector>

namespace {

std::wstring ControlText(HWND dialog, int id) {
    const HWND control = GetDlgItem(dialog, id);
    std::vector<wchar_t> text(GetWindowTextLengthW(control) + 1, L'\0');
    GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    return text.data();
}

}  // namespace

CReporterDlg::CReporterDlg(const CrashReport& report) : m_report(report) {}

LRESULT CReporterDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    ::SetWindowTextW(m_hWnd, (m_report.product + L" crash report").c_str());
    const std::wstring text = m_report.product + L" stopped because of an error. A crash report (a snapshot of the "
                              L"program's memory at the time) can be sent to Quillbank, so that the fault can be "
                              L"found and fixed. It holds no recordings.";
    SetDlgItemTextW(m_hWnd, IDC_REPORT_TEXT, text.c_str());
    SendDlgItemMessageW(m_hWnd, IDC_REPORT_COMMENT, EM_LIMITTEXT, 4000, 0);
    WIN32_FILE_ATTRIBUTE_DATA dump{};
    GetFileAttributesExW(m_report.dumpPath.c_str(), GetFileExInfoStandard, &dump);
    SendDlgItemMessageW(m_hWnd, IDC_REPORT_PROGRESS, PBM_SETRANGE32, 0, static_cast<LPARAM>(dump.nFileSizeLow));
    SetForegroundWindow(m_hWnd);
    return TRUE;
}

LRESULT CReporterDlg::OnSend(WORD, WORD, HWND, BOOL&) {
    if (m_upload) return 0;  // already on its way
    m_report.comments = ControlText(m_hWnd, IDC_REPORT_COMMENT);
    m_upload = std::make_unique<CrashUpload>(m_report, m_hWnd);
    // No crash guard on the worker: the recorder's crash handler would write the recorder's
    // dump over the one being sent.
    m_worker = CreateThread(nullptr, 0, &CrashUpload::RunUploadThread, m_upload.get(), 0, nullptr);
    if (m_worker == nullptr) {
        m_upload.reset();
        return 0;
    }
    for (int id : {IDOK, IDCANCEL, IDC_REPORT_COMMENT}) ::EnableWindow(::GetDlgItem(m_hWnd, id), FALSE);
    return 0;
}

LRESULT CReporterDlg::OnDontSend(WORD, WORD, HWND, BOOL&) {
    // Also the close box and Esc: ignored while the report travels, since the worker reports
    // to this window.
    if (!m_upload) EndDialog(kDeclined);
    return 0;
}

LRESULT CReporterDlg::OnTransferProgress(UINT, WPARAM, LPARAM lParam, BOOL&) {
    SendDlgItemMessageW(m_hWnd, IDC_REPORT_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(lParam), 0);
    return 0;
}

LRESULT CReporterDlg::OnRequestDone(UINT, WPARAM wParam, LPARAM, BOOL&) {
    // Sent by the worker, which waits in SendMessage until this returns.
    ::PostMessageW(m_hWnd, kFinishMessage, wParam, 0);
    return 0;
}

LRESULT CReporterDlg::OnFinish(UINT, WPARAM wParam, LPARAM, BOOL&) {
    // The worker ends right after its report; nothing of it may outlive the upload object.
    WaitForSingleObject(m_worker, INFINITE);
    CloseHandle(m_worker);
    m_worker = nullptr;
    const bool sent = wParam == 1;
    if (sent) {
        DeleteFileW(m_report.dumpPath.c_str());
        MessageBoxW(m_hWnd, L"The crash report was sent. Thank you for helping to improve the program.",
                    L"Crash report", MB_ICONINFORMATION | MB_OK);
    } else {
        const std::wstring text = L"The crash report could not be sent: " + m_upload->Error() +
                                  L".\n\nThe crash dump is kept at:\n" + m_report.dumpPath;
        MessageBoxW(m_hWnd, text.c_str(), L"Crash report", MB_ICONWARNING | MB_OK);
    }
    EndDialog(sent ? kSent : kFailed);
    return 0;
}
