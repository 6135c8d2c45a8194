#include "loudness_dlg.h"

#include <commctrl.h>

#include <cmath>

#include "audio/loudness/even_out_writer.h"
#include "runtime/crash_guard.h"
#include "runtime/log_file.h"
#include "runtime/system_error.h"
#include "runtime/text_format.h"

namespace {

constexpr UINT_PTR kPollTimer = 1;
constexpr UINT kPollMs = 100;

std::wstring Figure(double value, const wchar_t* unit) {
    if (!std::isfinite(value)) return L"none (silence)";
    wchar_t text[64];
    FormatTruncated(text, 64, L"%.1f %s", value, unit);
    return text;
}

std::wstring PlanText(const ClipLoudness& clip, const EvenOutPlan& plan) {
    if (plan.limit == EvenOutLimit::NotPossible) {
        if (clip.rewrite == GainRewrite::NotLayer3)
            return L"This file is MPEG audio Layer I or II, which has no gain field to change: its "
                   L"level can only be changed by decoding and encoding it again.";
        return L"The frames of this file differ in kind (version, sampling rate or channels), so "
               L"their gain cannot be changed alike: its level can only be changed by encoding it again.";
    }
    if (plan.steps == 0) {
        switch (plan.limit) {
        case EvenOutLimit::AlreadyThere:
            return L"Nothing to change: the episode is within 0.75 LU of the target.";
        case EvenOutLimit::Peak:
            return L"Nothing to change: a louder episode would push the true peak above -1 dBTP.";
        case EvenOutLimit::GainRange:
            return L"Nothing to change: the encoded gain is already at the end of its range.";
        default:
            return L"Nothing to change: the clip is silent.";
        }
    }
    wchar_t text[320];
    const double db = plan.steps * kGainStepDb;
    FormatTruncated(text, 320, L"Even out %s the level by %.1f dB (%d steps of 1.5 dB, without encoding again) "
                               L"to %.1f LUFS, true peak %.1f dBTP%s",
                    db > 0 ? L"raises" : L"lowers", std::fabs(db), std::abs(plan.steps), plan.resultLufs,
                    plan.resultPeakDbtp,
                    plan.limit == EvenOutLimit::Peak ? L": more would push the true peak above -1 dBTP."
                    : plan.limit == EvenOutLimit::GainRange ? L": more would take the encoded gain out of its range."
                                                            : L".");
    return text;
}

std::wstring WriteFailureText(int result, DWORD systemError) {
    std::wstring text;
    switch (result) {
    case kEvenOutCannotOpen: text = L"the clip cannot be opened"; break;
    case kEvenOutCannotCreate: text = L"the new clip cannot be created"; break;
    case kEvenOutReadFailed: text = L"the clip cannot be read"; break;
    case kEvenOutWrongSize: text = L"the new clip came out at the wrong size"; break;
    case kEvenOutGainRange: text = L"the clip changed since it was measured"; break;
    default: text = L"the new clip cannot be written"; break;
    }
    if (systemError != 0) text += L": " + SystemErrorText(systemError);
    return text;
}

}  // namespace

CLoudnessDlg::CLoudnessDlg(const std::wstring& clipPath, const std::wstring& evenedPath)
    : m_clipPath(clipPath), m_evenedPath(evenedPath) {}

CLoudnessDlg::~CLoudnessDlg() {
    EndWorker(true);
}

INT_PTR CLoudnessDlg::Run(HWND owner) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    return DoModal(owner);
}

DWORD CLoudnessDlg::MeasureWorker(void* argument) {
    auto* self = static_cast<CLoudnessDlg*>(argument);
    FrameReader reader;
    self->m_result = reader.Open(self->m_clipPath.c_str())
        ? MeasureClip(reader, self->m_loudness, &self->m_watch)
        : kLoudnessReadFailed;
    if (self->m_result == kLoudnessMeasured) self->m_plan = PlanEvenOut(self->m_loudness);
    self->m_done.store(true);
    return 0;
}

DWORD CLoudnessDlg::EvenOutWorker(void* argument) {
    auto* self = static_cast<CLoudnessDlg*>(argument);
    self->m_result = WriteEvenedClip(self->m_clipPath.c_str(), self->m_evenedPath.c_str(), self->m_plan.steps,
                                     &self->m_watch, self->m_systemError);
    self->m_done.store(true);
    return 0;
}

LRESULT CLoudnessDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
    CenterWindow();
    ::SendDlgItemMessageW(m_hWnd, IDC_LOUD_PROGRESS, PBM_SETRANGE32, 0, 1000);
    ShowProgress(true);
    g_log.Print(L"Measuring loudness of %s", m_clipPath.c_str());
    if (!StartWorker(GuardedThread<&CLoudnessDlg::MeasureWorker>)) {
        g_log.Print(L"!!! Loudness worker could not be started (error %lu)", GetLastError());
        EndDialog(IDCANCEL);
    }
    return TRUE;
}

bool CLoudnessDlg::StartWorker(LPTHREAD_START_ROUTINE body) {
    m_done.store(false);
    m_watch.cancelled.store(false);
    m_watch.permille.store(0);
    m_worker = CreateThread(nullptr, 0, body, this, 0, nullptr);
    if (m_worker == nullptr) return false;
    SetTimer(m_hWnd, kPollTimer, kPollMs, nullptr);
    return true;
}

void CLoudnessDlg::EndWorker(bool cancel) {
    if (m_worker == nullptr) return;
    if (cancel) m_watch.cancelled.store(true);
    WaitForSingleObject(m_worker, INFINITE);
    CloseHandle(m_worker);
    m_worker = nullptr;
}

LRESULT CLoudnessDlg::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    if (wParam != kPollTimer) {
        bHandled = FALSE;
        return 0;
    }
    ::SendDlgItemMessageW(m_hWnd, IDC_LOUD_PROGRESS, PBM_SETPOS, m_watch.permille.load(), 0);
    if (!m_done.load()) return 0;
    KillTimer(m_hWnd, kPollTimer);
    EndWorker(false);
    if (m_evening) ShowEvenedOut();
    else ShowMeasured();
    return 0;
}

void CLoudnessDlg::ShowMeasured() {
    if (m_result != kLoudnessMeasured) {
        g_log.Print(L"!!! Loudness of %s cannot be measured (%d)", m_clipPath.c_str(), m_result);
        const std::wstring text = L"Sorry, but this file holds no audio that the recorder can play:\n" + m_clipPath;
        MessageBoxW(m_hWnd, text.c_str(), L"Message", MB_ICONERROR);
        EndDialog(IDCANCEL);
        return;
    }
    const LoudnessFigures& f = m_loudness.figures;
    g_log.Print(L"Loudness: %.1f LUFS integrated, %.1f LU range, %.1f dBTP true peak", f.integratedLufs, f.rangeLu,
                f.truePeakDbtp);
    SetDlgItemTextW(m_hWnd, IDC_LOUD_INTEGRATED, Figure(f.integratedLufs, L"LUFS").c_str());
    SetDlgItemTextW(m_hWnd, IDC_LOUD_RANGE, Figure(f.rangeLu, L"LU").c_str());
    SetDlgItemTextW(m_hWnd, IDC_LOUD_PEAK, Figure(f.truePeakDbtp, L"dBTP").c_str());
    const bool canEvenOut = m_plan.steps != 0;
    ::ShowWindow(GetDlgItem(IDC_EVEN_OUT), canEvenOut ? SW_SHOW : SW_HIDE);
    ::EnableWindow(GetDlgItem(IDC_EVEN_OUT), canEvenOut);
    SetDlgItemTextW(m_hWnd, IDCANCEL, L"Close");
    if (canEvenOut) ::SetFocus(GetDlgItem(IDC_EVEN_OUT));
    // The note last: it is what tells that the measurement is shown.
    ShowProgress(false);
    ShowNote(PlanText(m_loudness, m_plan));
}

LRESULT CLoudnessDlg::OnEvenOut(WORD, WORD, HWND, BOOL&) {
    if (m_worker != nullptr || m_plan.steps == 0) return 0;
    g_log.Print(L"Evening out by %d steps (%+.1f dB) into %s", m_plan.steps, m_plan.steps * kGainStepDb,
                m_evenedPath.c_str());
    ::EnableWindow(GetDlgItem(IDC_EVEN_OUT), FALSE);
    SetDlgItemTextW(m_hWnd, IDCANCEL, L"Cancel");
    ShowProgress(true);
    m_evening = true;
    if (!StartWorker(GuardedThread<&CLoudnessDlg::EvenOutWorker>)) {
        m_result = kEvenOutWriteFailed;
        m_systemError = GetLastError();
        ShowEvenedOut();
    }
    return 0;
}

void CLoudnessDlg::ShowEvenedOut() {
    if (m_result == kEvenOutWritten) {
        EndDialog(IDOK);
        return;
    }
    const std::wstring reason = WriteFailureText(m_result, m_systemError);
    g_log.Print(L"!!! Evening out failed: %s", reason.c_str());
    const std::wstring text = L"The clip could not be evened out:\n" + reason + L"\n\nThe clip is unchanged.";
    MessageBoxW(m_hWnd, text.c_str(), L"Error", MB_ICONERROR);
    EndDialog(IDCANCEL);
}

LRESULT CLoudnessDlg::OnCancel(WORD, WORD, HWND, BOOL&) {
    if (m_worker != nullptr) {
        KillTimer(m_hWnd, kPollTimer);
        EndWorker(true);  // the worker stops within a frame; a partial copy is removed by it
        g_log.Print(m_evening ? L"Evening out cancelled by user" : L"Loudness measurement cancelled by user");
        // A copy finished just before the Cancel would otherwise be left in "Unpublished"
        // with no clip showing it.
        if (m_evening && m_result == kEvenOutWritten) {
            if (DeleteFileW(m_evenedPath.c_str())) g_log.Print(L"Evened-out copy removed: %s", m_evenedPath.c_str());
            else g_log.Print(L"!!! cannot remove the evened-out copy %s", m_evenedPath.c_str());
        }
    }
    EndDialog(IDCANCEL);
    return 0;
}

void CLoudnessDlg::ShowNote(const std::wstring& text) {
    SetDlgItemTextW(m_hWnd, IDC_LOUD_NOTE, text.c_str());
}

void CLoudnessDlg::ShowProgress(bool on) {
    ::ShowWindow(GetDlgItem(IDC_LOUD_PROGRESS), on ? SW_SHOW : SW_HIDE);
    ::ShowWindow(GetDlgItem(IDC_LOUD_NOTE), on ? SW_HIDE : SW_SHOW);
}
