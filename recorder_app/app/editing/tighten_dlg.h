// "Tighten pauses": asks how long a pause may be and what is left of a longer one, says how
// many pauses that shortens and what it saves, and on OK writes the shortened clip on a
// worker. Until the clip's levels are measured whole it waits for the window's scan, since
// only measured pauses are shortened; a scan that ended short says how much is not measured.
//
// Thread contract: the worker owns the cut and the new clip's file while it runs; the dialog
// polls its progress and its end on a timer and reads its results only once it has ended
// (`m_done`). Cancel sets the watch's flag, which the worker reads at every read of the clip,
// and waits for the thread, so no worker outlives the dialog and nothing is left written.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>

#include "app/editing/edited_clip.h"
#include "app/editing/tighten_rules.h"
#include "app/envelope/clip_envelope.h"
#include "framework/dialog_impl.h"
#include "res/resource.h"

class CTightenDlg : public CDialogImpl<CTightenDlg> {
public:
    enum { IDD = IDD_TIGHTEN };

    // `envelope` is the window's, read while the dialog waits for its scan.
    CTightenDlg(const std::wstring& clipPath, const std::wstring& targetPath, const ClipEnvelope& envelope,
                uint32_t clipLengthMs, const cuts::FrameClock& clock);
    ~CTightenDlg() override;

    // Runs modally; IDOK once the shortened clip is written, IDCANCEL otherwise.
    INT_PTR Run(HWND owner);
    const tighten::Plan& Plan() const { return m_plan; }
    const WrittenCut& Written() const { return m_written; }

    // Posted by the worker once the cut has ended, so that the dialog does not wait for its
    // next progress tick.
    static constexpr UINT kCutEndedMessage = WM_APP + 20;

    BEGIN_MSG_MAP(CTightenDlg)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(kCutEndedMessage, OnCutEndedMessage)
        COMMAND_ID_HANDLER(IDC_TIGHTEN_LONGER, OnLengthChanged)
        COMMAND_ID_HANDLER(IDC_TIGHTEN_TO, OnLengthChanged)
        COMMAND_ID_HANDLER(IDOK, OnOK)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
    END_MSG_MAP()

    // The worker's body (run inside the crash guard), on `this`.
    static DWORD CutWorker(void* self);

private:
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCutEndedMessage(UINT, WPARAM, LPARAM, BOOL&) {
        if (m_worker != nullptr && m_done.load()) CutEnded();  // not after a Cancel
        return 0;
    }
    LRESULT OnLengthChanged(WORD, WORD, HWND, BOOL&);
    LRESULT OnOK(WORD, WORD, HWND, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);

    // Whether the scan still measures blocks of the clip; shows its progress meanwhile.
    bool Waiting();
    // The plan for the lengths typed, and what it says.
    void ShowPlan();
    void CutEnded();
    void EndWorker(bool cancel);
    bool ReadLengths(tighten::Lengths& lengths) const;
    void ShowProgress(bool on, int permille);

    std::wstring m_clipPath;
    const ClipEnvelope& m_envelope;
    uint32_t m_lengthMs;
    cuts::FrameClock m_clock;
    bool m_waiting = true;  // for the scan
    tighten::Plan m_plan;
    HANDLE m_worker = nullptr;
    CutWatch m_watch;
    std::atomic<bool> m_done{false};
    // Written by the worker before m_done, read by the dialog after it.
    std::vector<FrameStretch> m_frames;
    int m_result = 0;
    std::wstring m_error;
    WrittenCut m_written;
};
