// At start-up: a take that an earlier run did not live to end (killed, crashed, the power
// lost) is offered back. Restored, it is the current clip, as if its take had just stopped.
// One take is restored per start: its Undo step goes back to the clip the take continued,
// which a second restore would leave behind as the "after" of a step no longer current.
// During a take: its journal follows the spots placed or removed meanwhile.
#include "app/editing/edited_clip.h"
#include "app/running_mark.h"
#include "app/takes/take_journal.h"
#include "app/takes/take_recovery.h"
#include "main_dlg.h"
#include "runtime/log_file.h"

namespace {

const wchar_t kCaption[] = L"Interrupted recording";

std::wstring FilesOf(const TakeJournal& journal) {
    std::wstring files = L"\n" + journal.part;
    if (journal.ContinuesClip()) files += L"\n" + journal.earlier;
    return files;
}

// A journal naming files the recorder did not write is never restored: the user is told
// once, its files stay as they are, and the journal goes.
void RefuseForeignJournal(HWND owner, const LeftTake& take) {
    const std::wstring text = L"The last recording was interrupted, but its journal names a file that this program "
                              L"did not record, so it cannot be restored:\n" + take.foreign +
                              L"\n\nNo file was changed. The journal is removed:\n" + take.journalPath;
    MessageBoxW(owner, text.c_str(), kCaption, MB_ICONWARNING);
    if (DeleteFileW(take.journalPath.c_str())) g_log.Print(L"Journal that cannot be restored removed");
    else g_log.Print(L"!!! Journal that cannot be restored could not be removed: %s", take.journalPath.c_str());
}

}  // namespace

void CMainDlg::OfferTakeRecovery() {
    // Another instance's journal may belong to the take it is recording now.
    if (IsOnlyRunningInstance()) {
        OfferLeftTakes();
        RemoveUnfinishedCuts(RecordingsFolder());
    } else {
        g_log.Print(L"Another instance of the program is running: interrupted recordings are not looked for");
    }
    // After the journals, which may still name clips of such a history. The sweep leaves the
    // folder of every instance that still runs, in this session or another.
    ReleaseOrphanedHistories(RecordingsFolder());
}

void CMainDlg::OfferLeftTakes() {
    const std::vector<LeftTake> takes = FindLeftTakes(TakeJournalFolder());
    for (const LeftTake& take : takes) {
        if (!take.foreign.empty()) {
            RefuseForeignJournal(m_hWnd, take);
            continue;
        }
        // The window was empty at the start: a clip in it now is a restored one.
        if (!m_clipPath.empty()) {
            g_log.Print(L"Another interrupted recording is kept for the next start: %s", take.journalPath.c_str());
            continue;
        }
        ClipState undoState;
        ClipState* undoTo = nullptr;
        if (!RecoverTake(take.journal, undoTo, undoState)) {
            g_log.Print(L"Journal of the interrupted recording kept for the next start");
            continue;
        }
        if (DeleteFileW(take.journalPath.c_str())) g_log.Print(L"Journal of the interrupted recording removed");
        else
            g_log.Print(L"!!! Journal of the interrupted recording could not be removed: %s", take.journalPath.c_str());
        // Only now: the history does not move a clip that a journal names.
        if (undoTo != nullptr) RecordStep(StepKind::kRestore, *undoTo);
    }
}

bool CMainDlg::RecoverTake(const TakeJournal& journal, ClipState*& undoTo, ClipState& undoState) {
    g_log.Print(L"Asking user to restore the interrupted recording");
    const int answer = MessageBoxW(m_hWnd,
        L"The last recording was interrupted.\nRestore it?\n\n"
        L"Yes finishes it and opens it here.\nNo leaves its files as they are.",
        kCaption, MB_ICONQUESTION | MB_YESNO);
    if (answer != IDYES) {
        g_log.Print(L"User chose to keep the files of the interrupted recording as they are");
        const std::wstring text = L"The files of the interrupted recording are kept as they are:" + FilesOf(journal);
        MessageBoxW(m_hWnd, text.c_str(), kCaption, MB_ICONINFORMATION);
        return true;
    }
    g_log.Print(L"User chose to restore the interrupted recording");
    RestoredTake restored;
    std::wstring error;
    if (!RestoreTake(journal, restored, error)) {
        g_log.Print(L"!!! The interrupted recording could not be restored: %s", error.c_str());
        const std::wstring text = L"The interrupted recording could not be restored:\n" + error +
                                  L"\n\nNothing was deleted." +
                                  (restored.worthRetrying ? L" It will be offered again at the next start." : L"") +
                                  L" Its files are:" + FilesOf(journal);
        MessageBoxW(m_hWnd, text.c_str(), L"Error", MB_ICONERROR);
        return !restored.worthRetrying;
    }
    // Undo brings back the clip the take continued, whole, as the take found it.
    if (journal.ContinuesClip()) undoState = ClipState{journal.earlier, false, journal.spots, journal.cutMs};
    if (!restored.part.empty()) RecycleClip(restored.part);

    // The current clip, recorded here, so that Record continues it from the cursor.
    m_clipPath = restored.clip;
    m_isImported = FALSE;
    m_prevPartPath.clear();
    m_startPos = 0;
    m_spots = restored.spots;
    SwitchMode(InterfaceMode::Idle);
    const uint32_t duration = ClipDuration(m_clipPath);
    if (duration != ClipPlayer::kNoDuration) m_timeLine.SetLength(duration);
    // The cursor at the end, as after a stop; no duration is a negative position, taken as 0.
    m_timeLine.SetPosition(static_cast<int32_t>(duration));
    // The take's own levels died with it: only its part is measured.
    m_envelope.ShowClip(m_clipPath, duration != ClipPlayer::kNoDuration ? duration : 0,
                        journal.ContinuesClip() ? journal.earlier : std::wstring(), journal.cutMs);
    ShowSpots();
    g_log.Print(L"Restored recording: %s", m_clipPath.c_str());
    if (undoState.clip != m_clipPath) undoTo = &undoState;
    return true;
}

void CMainDlg::JournalSpotsOfTake() {
    TakeJournal journal{m_clipPath, m_prevPartPath, static_cast<uint32_t>(m_startPos), m_spotsBeforeTake,
                        true, m_spots};
    UpdateTakeJournal(journal);
}
