// "Loudness": measures the current clip on a worker thread, shows the figures beside the
// podcast target, and on "Even out" writes the evened-out copy on the same worker. The
// dialog is given the clip and the path of the copy; after IDOK the copy exists, complete.
//
// Thread contract: the worker owns the reader, the meter and the copy's file while it runs;
// the dialog polls its progress and its end on a timer and never touches its results before
// the worker has ended (`m_done`). Cancel sets the watch's flag, which the worker reads after
// every frame, and waits for the thread to end, so no worker outlives the dialog.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>

#include "audio/loudness/even_out_plan.h"
#include "audio/loudness/loudness_meter.h"
#include "framework/dialog_impl.h"
#include "res/resource.h"

// CLoudnessDlg is the "Loudness" dialog of the system menu's "Loudness..." item.
class CLoudnessDlg : public CDialogImpl<CLoudnessDlg> {
public:
    enum { IDD = IDD_LOUDNESS };

    CLoudnessDlg(const std::wstring& clipPath, const std::wstring& evenedPath);
    ~CLoudnessDlg() override;

    // Runs modally; IDOK once the evened-out copy is written, IDCANCEL otherwise.
    INT_PTR Run(HWND owner);
    const EvenOutPlan& Plan() const { return m_plan; }
    const std::wstring& EvenedPath() const { return m_evenedPath; }

    BEGIN_MSG_MAP(CLoudnessDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        COMMAND_ID_HANDLER(IDC_EVEN_OUT, OnEvenOut)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

    // Worker bodies (run inside the crash guard), on `this`.
    static DWORD MeasureWorker(void* self);
    static DWORD EvenOutWorker(void* self);

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEvenOut(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);

    bool StartWorker(LPTHREAD_START_ROUTINE body);
    // Waits for the worker to end, first asking it to stop when `cancel` is set.
    void EndWorker(bool cancel);
    void ShowMeasured();
    void ShowEvenedOut();
    void ShowNote(const std::wstring& text);
    void ShowProgress(bool on);

    std::wstring m_clipPath;
    std::wstring m_evenedPath;
    HANDLE m_worker = nullptr;
    bool m_evening = false;  // the worker writes the copy (else it measures)
    MeasureWatch m_watch;
    std::atomic<bool> m_done{false};
    // Written by the worker before m_done, read by the dialog after it.
    int m_result = 0;
    DWORD m_systemError = 0;
    ClipLoudness m_loudness;
    EvenOutPlan m_plan;
};
