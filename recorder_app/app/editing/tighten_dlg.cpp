#include "app/editing/tighten_dlg.h"

#include <commctrl.h>

#include <algorithm>

#include "app/history/edit_history.h"
#include "runtime/crash_guard.h"
#include "runtime/log_file.h"
#include "settings/settings.h"

namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMs = 100;

// Tenths of a second, rounded down: what is saved at least is not rounded up.
std::wstring Seconds(uint32_t ms) {
    return std::to_wstring(ms / 1000) + L"." + std::to_wstring(ms / 100 % 10) + L" s";
}

}  // namespace

CTightenDlg::CTightenDlg(const std::wstring& clipPath, const std::wstring& targetPath, const ClipEnvelope& envelope,
                         uint32_t clipLengthMs, const cuts::FrameClock& clock)
    : m_clipPath(clipPath), m_envelope(envelope), m_lengthMs(clipLengthMs), m_clock(clock) {
    m_written.target = targetPath;
}

CTightenDlg::~CTightenDlg() {
    EndWorker(true);
}

INT_PTR CTightenDlg::Run(HWND owner) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    return DoModal(owner);
}

LRESULT CTightenDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    CenterWindow();
    ::SendDlgItemMessageW(m_hWnd, IDC_TIGHTEN_PROGRESS, PBM_SETRANGE32, 0, 1000);
    // Set before the timer runs: their change notices find nothing to show yet.
    SetDlgItemTextW(m_hWnd, IDC_TIGHTEN_LONGER, tighten::SecondsText(g_settings.m_tightenLongerThanMs).c_str());
    SetDlgItemTextW(m_hWnd, IDC_TIGHTEN_TO, tighten::SecondsText(g_settings.m_tightenToMs).c_str());
    m_waiting = Waiting();
    if (m_waiting) SetTimer(m_hWnd, kPollTimer, kPollMs, nullptr);
    else ShowPlan();
    return TRUE;
}

bool CTightenDlg::Waiting() {
    const levels::Codes& codes = m_envelope.Codes();
    const size_t unknown = static_cast<size_t>(std::count(codes.begin(), codes.end(), levels::kUnknown));
    if (unknown == 0 || !m_envelope.Scanning()) return false;
    ShowProgress(true, static_cast<int>((codes.size() - unknown) * 1000 / codes.size()));
    SetDlgItemTextW(m_hWnd, IDC_TIGHTEN_NOTE, L"Measuring the clip's levels: only pauses measured whole are shortened.");
    ::EnableWindow(GetDlgItem(IDOK), FALSE);
    return true;
}

LRESULT CTightenDlg::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    if (wParam != kPollTimer) {
        bHandled = FALSE;
        return 0;
    }
    if (m_worker != nullptr) {
        ShowProgress(true, m_watch.permille.load());
        if (m_done.load()) CutEnded();
        return 0;
    }
    if (m_waiting && !Waiting()) {
        KillTimer(m_hWnd, kPollTimer);
        m_waiting = false;
        ShowPlan();
    }
    return 0;
}

LRESULT CTightenDlg::OnLengthChanged(WORD code, WORD, HWND, BOOL&) {
    if (code == EN_CHANGE && !m_waiting && m_worker == nullptr) ShowPlan();
    return 0;
}

bool CTightenDlg::ReadLengths(tighten::Lengths& lengths) const {
    wchar_t longer[32] = {}, to[32] = {};
    GetDlgItemTextW(m_hWnd, IDC_TIGHTEN_LONGER, longer, 32);
    GetDlgItemTextW(m_hWnd, IDC_TIGHTEN_TO, to, 32);
    return tighten::ParseSeconds(longer, lengths.longerThanMs) && tighten::ParseSeconds(to, lengths.toMs) &&
           TightenLengthsAllowed(lengths.longerThanMs, lengths.toMs);
}

void CTightenDlg::ShowPlan() {
    ShowProgress(false, 0);
    tighten::Lengths lengths;
    std::wstring text;
    m_plan = tighten::Plan();
    if (!ReadLengths(lengths)) {
        text = L"Pauses are shortened to " + tighten::SecondsText(kTightenShortestMs) +
               L" seconds or more, and to less than the length they are longer than (at most " +
               tighten::SecondsText(kTightenLongestMs) + L" seconds).";
    } else {
        m_plan = tighten::PlanTightening(m_envelope.Codes(), m_lengthMs, lengths, m_clock);
        const size_t count = m_plan.cuts.size();
        if (count == 0) {
            text = L"No pause is longer than " + tighten::SecondsText(lengths.longerThanMs) + L" seconds.";
        } else {
            text = std::to_wstring(count) + (count == 1 ? L" pause is" : L" pauses are") +
                   L" shortened, saving at least " + Seconds(m_plan.savedMs) +
                   L" (each seam keeps a few silent frames).";
        }
    }
    if (m_plan.unknownMs > 0)
        text += L" " + Seconds(m_plan.unknownMs) + L" of the clip is not measured: no pause there is shortened.";
    SetDlgItemTextW(m_hWnd, IDC_TIGHTEN_NOTE, text.c_str());
    ::EnableWindow(GetDlgItem(IDOK), !m_plan.cuts.empty());
}

LRESULT CTightenDlg::OnOK(WORD, WORD, HWND, BOOL&) {
    tighten::Lengths lengths;
    if (m_waiting || m_worker != nullptr || m_plan.cuts.empty() || !ReadLengths(lengths)) return 0;
    if (!g_settings.SetTightenLengths(lengths.longerThanMs, lengths.toMs))
        g_log.Print(L"!!! The lengths of the tightening could not be saved");
    m_frames.clear();
    for (const tighten::Shortening& cut : m_plan.cuts) m_frames.push_back(FrameStretch{cut.firstFrame, cut.endFrame});
    g_log.Print(L"Tightening %d pause(s) longer than %d ms to %d ms into %s", static_cast<int>(m_plan.cuts.size()),
                static_cast<int>(lengths.longerThanMs), static_cast<int>(lengths.toMs), m_written.target.c_str());
    ::EnableWindow(GetDlgItem(IDOK), FALSE);
    ::EnableWindow(GetDlgItem(IDC_TIGHTEN_LONGER), FALSE);
    ::EnableWindow(GetDlgItem(IDC_TIGHTEN_TO), FALSE);
    SetDlgItemTextW(m_hWnd, IDC_TIGHTEN_NOTE, L"Shortening the pauses...");
    ShowProgress(true, 0);
    m_done.store(false);
    m_watch.cancelled.store(false);
    m_watch.permille.store(0);
    m_worker = CreateThread(nullptr, 0, GuardedThread<&CTightenDlg::CutWorker>, this, 0, nullptr);
    if (m_worker == nullptr) {
        m_result = kCutWriteFailed;
        m_error = L"the worker could not be started";
        CutEnded();
        return 0;
    }
    SetTimer(m_hWnd, kPollTimer, kPollMs, nullptr);
    return 0;
}

DWORD CTightenDlg::CutWorker(void* argument) {
    auto* self = static_cast<CTightenDlg*>(argument);
    self->m_result = WriteCutClip(self->m_clipPath, self->m_frames, self->m_written.target, self->m_written.summary,
                                  self->m_error, &self->m_watch);
    self->m_done.store(true);
    ::PostMessageW(self->m_hWnd, kCutEndedMessage, 0, 0);
    return 0;
}

void CTightenDlg::CutEnded() {
    KillTimer(m_hWnd, kPollTimer);
    EndWorker(false);
    if (m_result == kCutWritten) {
        EndDialog(IDOK);
        return;
    }
    g_log.Print(L"!!! %s failed: %s", StepName(StepKind::kTighten), m_error.c_str());
    const std::wstring text = L"Nothing was deleted: " + m_error + L".\n\nThe clip is as it was:\n" + m_clipPath;
    MessageBoxW(m_hWnd, text.c_str(), L"Error", MB_ICONERROR);
    EndDialog(IDCANCEL);
}

void CTightenDlg::EndWorker(bool cancel) {
    if (m_worker == nullptr) return;
    if (cancel) m_watch.cancelled.store(true);
    WaitForSingleObject(m_worker, INFINITE);
    CloseHandle(m_worker);
    m_worker = nullptr;
}

LRESULT CTightenDlg::OnCancel(WORD, WORD, HWND, BOOL&) {
    KillTimer(m_hWnd, kPollTimer);
    if (m_worker != nullptr) {
        EndWorker(true);  // the cut stops at its next read and removes what it wrote
        g_log.Print(L"Tightening pauses cancelled by user");
        // A clip finished just before the Cancel would be left in "Unpublished" unseen.
        if (m_result == kCutWritten) {
            if (DeleteFileW(m_written.target.c_str())) g_log.Print(L"Shortened clip removed: %s", m_written.target.c_str());
            else g_log.Print(L"!!! cannot remove the shortened clip %s", m_written.target.c_str());
        }
    }
    EndDialog(IDCANCEL);
    return 0;
}

void CTightenDlg::ShowProgress(bool on, int permille) {
    ::SendDlgItemMessageW(m_hWnd, IDC_TIGHTEN_PROGRESS, PBM_SETPOS, permille, 0);
    ::ShowWindow(GetDlgItem(IDC_TIGHTEN_PROGRESS), on ? SW_SHOW : SW_HIDE);
}
