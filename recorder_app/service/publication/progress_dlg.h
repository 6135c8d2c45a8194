// "Publishing...": shows the upload's progress while a worker performs the publication
// request, and lets the user cancel it.
//
// Thread contract: the worker and this dialog share the request (shared ownership), so the
// request outlives whichever lets go last. The worker reaches the dialog only by SendMessage
// to the request's notify window. Cancel abandons the request (no more messages; the transfer
// ends at libcurl's next progress call), closes the thread handle and ends the dialog at once
// without waiting; the worker then finishes on its own and frees its share.
#pragma once
#include <windows.h>
#include <memory>
#include <string>
#include "framework/dialog_impl.h"
#include "res/resource.h"
#include "service/request/server_request.h"
#include "service/request/service_messages.h"

// CPublishDlg is the "Publishing..." progress dialog of the upload, not the publication dialog.
class CPublishDlg : public CDialogImpl<CPublishDlg> {
public:
    enum { IDD = IDD_PUBLISH };

    // filePath: the file the request uploads, whose size is the progress bar's range.
    CPublishDlg(std::shared_ptr<CServerRequest> request, const std::wstring& filePath);
    ~CPublishDlg() override;

    // Runs the dialog modally; 1 when the request succeeded, 2 on failure or Cancel.
    INT_PTR Run(HWND owner);

    BEGIN_MSG_MAP(CPublishDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_TRANSFER_PROGRESS, OnTransferProgress)
        MESSAGE_HANDLER(WM_REQUEST_DONE, OnRequestDone)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTransferProgress(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnRequestDone(UINT, WPARAM wParam, LPARAM, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    void CloseWorkerHandle();

    HWND m_progressBar = nullptr;
    std::shared_ptr<CServerRequest> m_request;
    std::wstring m_filePath;
    HANDLE m_workerThread = nullptr;
};
