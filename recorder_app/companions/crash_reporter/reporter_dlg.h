// The reporter's dialog: what happened, an optional comment, "Send" and "Don't send", and a
// progress bar while the report travels on a worker thread. It ends once the report was sent
// (the dump is then deleted) or could not be (the dump is kept and the user told where), or
// when the user declines.
#pragma once
#include <windows.h>
#include <memory>
#include "crash_upload.h"
#include "framework/dialog_impl.h"
#include "reporter_resource.h"
#include "service/request/service_messages.h"

// CReporterDlg is the crash reporter's only window, the "Crash report" dialog.
class CReporterDlg : public CDialogImpl<CReporterDlg> {
public:
    enum { IDD = IDD_CRASH_REPORT };
    // Results of Run.
    enum Result { kDeclined = 0, kSent = 1, kFailed = 2 };
    // Posted to itself once the worker reported, so that the worker can end before the
    // dialog tells the user.
    static constexpr UINT kFinishMessage = WM_APP + 20;

    // The report without its comment, which the user types.
    explicit CReporterDlg(const CrashReport& report);

    BEGIN_MSG_MAP(CReporterDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_TRANSFER_PROGRESS, OnTransferProgress)
        MESSAGE_HANDLER(WM_REQUEST_DONE, OnRequestDone)
        MESSAGE_HANDLER(kFinishMessage, OnFinish)
        COMMAND_ID_HANDLER(IDOK, OnSend)
        COMMAND_ID_HANDLER(IDCANCEL, OnDontSend)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTransferProgress(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnRequestDone(UINT, WPARAM wParam, LPARAM, BOOL&);
    LRESULT OnFinish(UINT, WPARAM wParam, LPARAM, BOOL&);
    LRESULT OnSend(WORD, WORD, HWND, BOOL&);
    LRESULT OnDontSend(WORD, WORD, HWND, BOOL&);

    CrashReport m_report;
    std::unique_ptr<CrashUpload> m_upload;  // while sending and after
    HANDLE m_worker = nullptr;
};
