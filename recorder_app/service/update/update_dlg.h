// "Updating...": the progress of the archive's download and unpacking, which run on a worker
// thread of their own. Result 1 when both succeeded, 2 after an error or Cancel.
#pragma once
#include <windows.h>
#include <memory>
#include "framework/dialog_impl.h"
#include "res/resource.h"
#include "service/request/service_messages.h"
#include "update_info.h"
#include "update_transfer.h"

// CUpdateDlg is the "Updating..." progress dialog of the update's download.
class CUpdateDlg : public CDialogImpl<CUpdateDlg> {
public:
    enum { IDD = IDD_UPDATEDLG };

    // The record is not owned; the dialog must end before it goes.
    explicit CUpdateDlg(CUpdateInfo* info);

    // Runs the dialog modally, owned by owner; returns its result.
    INT_PTR Run(HWND owner);

    BEGIN_MSG_MAP(CUpdateDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_TRANSFER_PROGRESS, OnTransferProgress)
        MESSAGE_HANDLER(WM_REQUEST_DONE, OnRequestDone)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTransferProgress(UINT, WPARAM wParam, LPARAM lParam, BOOL&);
    LRESULT OnRequestDone(UINT, WPARAM wParam, LPARAM, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);

    HWND m_progressBar = nullptr;
    CUpdateInfo* m_updateInfo;
    // Shared with the worker, which outlives the dialog after a Cancel: through it the
    // worker learns to stop, and never reaches the dialog or the record again.
    std::shared_ptr<TransferWatch> m_watch;
};
