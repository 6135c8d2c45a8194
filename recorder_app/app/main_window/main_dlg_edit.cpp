// Deleting stretches of the clip: Delete (and "Delete selection" in the system menu) takes
// out the stretch selected on the time line; the tightening of pauses takes out many at once
// through the same ApplyCuts. The clip the window showed stays as it was: the result is a
// new recording of the program's own in "Unpublished" (also from a clip the user opened),
// and the clip it replaced waits for Undo like any other.
#include <algorithm>
#include <string>

#include "app/editing/cut_rules.h"
#include "app/editing/edit_menu.h"
#include "app/editing/edited_clip.h"
#include "controls/time_text.h"
#include "main_dlg.h"
#include "runtime/log_file.h"

namespace {

std::wstring TimesOf(const std::vector<uint32_t>& spots) {
    std::wstring text;
    for (const uint32_t spot : spots) text += L"\n" + controls::RulerLabel(spot);
    return text;
}

}  // namespace

LRESULT CMainDlg::OnDeleteSelection(WORD, WORD, HWND, BOOL&) {
    DeleteSelection();
    return 0;
}

LRESULT CMainDlg::OnEditSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    const UINT command = static_cast<UINT>(wParam & 0xFFF0);
    if (command == kDeleteSelectionCommand) DeleteSelection();
    else if (command == kTightenPausesCommand) TightenPauses();
    else bHandled = FALSE;
    return 0;
}

void CMainDlg::DeleteSelection() {
    g_log.Print(L"Delete pressed");
    const timeline::Selection selection = m_timeLine.GetSelection();
    // Refused while recording or playing, and while a box or dialog of the window's is open.
    if (m_mode != kModeIdle || selection.Empty() || m_clipPath.empty() || !::IsWindowEnabled(m_hWnd)) {
        MessageBeep(MB_OK);
        return;
    }
    cuts::FrameClock clock;
    const uint32_t length = m_timeLine.GetLength();
    if (ClipFrameClock(m_clipPath, clock) && FrameBoundaryAt(selection.start, clock.msPerFrame) <= 1 &&
        selection.end + clock.msPerFrame / 2 >= length) {
        g_log.Print(L"Delete refused: the selection covers the whole clip");
        MessageBoxW(m_hWnd,
                    L"The selection covers the whole clip: nothing of it would be left.\n\n"
                    L"Select less of it, or record or open another clip.",
                    L"Delete selection", MB_ICONINFORMATION);
        return;
    }
    ApplyCuts(clock, {selection}, StepKind::kDelete, selection);
}

bool CMainDlg::ApplyCuts(const cuts::FrameClock& clock, const std::vector<timeline::Selection>& stretches, StepKind kind,
                         const timeline::Selection& selection, const WrittenCut* written,
                         const std::vector<cuts::PauseSpan>& shortened) {
    // The player and a level scan keep the clip open; the history cannot move a file they hold.
    ReleasePlayer();
    m_envelope.StopScan();
    const std::wstring source = m_clipPath;
    std::vector<FrameStretch> frames;
    if (clock.msPerFrame > 0) {
        for (const timeline::Selection& stretch : stretches)
            frames.push_back(FrameStretch{FrameBoundaryAt(stretch.start, clock.msPerFrame),
                                          FrameBoundaryAt(stretch.end, clock.msPerFrame)});
    }
    std::wstring target;
    CutSummary summary;
    std::wstring error = L"the clip holds no MPEG audio frames";
    int result = kCutNoFrames;
    if (written != nullptr) {
        target = written->target;
        summary = written->summary;
        result = frames.empty() ? kCutNoFrames : kCutWritten;
        // Without its clock the clip cannot be shown: the copy has no use.
        if (result != kCutWritten) DeleteFileW(target.c_str());
    } else if (!frames.empty()) {
        target = NewEditedClipPath(kind == StepKind::kTighten ? L"-tight" : L"-cut");
        result = WriteCutClip(source, frames, target, summary, error);
    }
    if (result != kCutWritten) {
        g_log.Print(L"!!! %s failed: %s", StepName(kind), error.c_str());
        const std::wstring text = L"Nothing was deleted: " + error + L".\n\nThe clip is as it was:\n" + source;
        MessageBoxW(m_hWnd, text.c_str(), L"Error", MB_ICONERROR);
        m_envelope.ShowClip(source, m_timeLine.GetLength());  // the scan the cut stopped goes on
        return false;
    }

    const std::vector<cuts::Seam> seams = cuts::SeamsOf(summary.cuts, clock);
    // Tightening keeps every pause it shortens: its spots move into what is left of it.
    cuts::SpotsIntoPauses moved;
    if (kind == StepKind::kTighten) {
        moved = cuts::MoveSpotsIntoPauses(m_spots, seams, shortened, clock.sampleRate,
                                          spots::HitTolerance(m_timeLine.GetPixelsPerSecond()));
    } else {
        cuts::SpotsAfterCuts after = cuts::MoveSpots(m_spots, seams, clock.sampleRate);
        moved.spots = std::move(after.spots);
        moved.removed = std::move(after.removed);
    }
    // After a deletion the cursor stands at its seam.
    // After a tightening it stays with the sound it stood at (at a seam when that went).
    const uint32_t cursor = cuts::PositionAfterCuts(
        kind == StepKind::kDelete && !seams.empty() ? seams.front().startMs : m_timeLine.GetPosition(), seams,
        clock.sampleRate);

    ClipState before = CurrentState();
    if (kind == StepKind::kDelete) {
        before.selectionStart = selection.start;
        before.selectionEnd = selection.end;
    }
    const levels::Codes oldLevels = m_envelope.Codes();
    const uint32_t oldLength = m_timeLine.GetLength();
    m_clipPath = target;
    m_isImported = FALSE;
    m_spots = moved.spots;
    const uint32_t measured = ClipDuration(target);
    const uint32_t length = measured != ClipPlayer::kNoDuration ? measured : 0;
    m_timeLine.ClearSelection();
    m_timeLine.SetLength(length);
    m_timeLine.SetPosition(static_cast<int32_t>(cursor));
    m_envelope.Edited(target, cuts::LevelsAfterCuts(oldLevels, seams, clock.sampleRate, length));
    ShowSpots();
    uint32_t spot = 0;
    ShowSpotFace(FindSpotAt(m_timeLine.GetPosition(), spot));
    m_btnAdvSpot.RedrawNow();
    g_log.Print(L"Deleted %d stretch(es) from %s (%d ms) into %s: %d ms long now, %d silent carrier frame(s) at the seams",
                static_cast<int>(seams.size()), source.c_str(), static_cast<int>(oldLength),
                target.c_str(), static_cast<int>(length), static_cast<int>(summary.carriers));
    for (const uint32_t removed : moved.removed) g_log.Print(L"Spot at %d ms deleted with its stretch", static_cast<int>(removed));
    for (const cuts::SpotMerge& merge : moved.merged)
        g_log.Print(L"Spot at %d ms merged with the spot at %d ms", static_cast<int>(merge.from),
                    static_cast<int>(merge.into));
    std::wstring kept;
    for (const uint32_t spot : m_spots) kept += (kept.empty() ? L"" : L", ") + std::to_wstring(spot);
    if (!kept.empty()) g_log.Print(L"Spots after the deletion: %s ms", kept.c_str());
    RecordStep(kind, before);

    if (!moved.merged.empty()) {
        std::wstring list;
        for (const cuts::SpotMerge& merge : moved.merged)
            list += L"\n" + controls::RulerLabel(merge.from) + L" merged with the spot at " +
                    controls::RulerLabel(merge.into);
        const std::wstring text = L"These spots stood in the part of a pause that was taken out, and the rest of "
                                  L"the pause already holds a spot:" + list + L"\n\nUndo brings them back.";
        MessageBoxW(m_hWnd, text.c_str(), L"Advertising spots", MB_ICONINFORMATION);
    }

    const std::vector<uint32_t> breaking = cuts::SpotsBreakingRules(m_spots, length);
    if (!breaking.empty()) {
        g_log.Print(L"%d spot(s) no longer allowed where they are in the shorter clip", static_cast<int>(breaking.size()));
        const std::wstring text =
            L"The clip is shorter now, and the rules for placing spots would not place these spots where "
            L"they are:" + TimesOf(breaking) + L"\n\nThey stay until you remove them or undo the deletion.";
        MessageBoxW(m_hWnd, text.c_str(), L"Advertising spots", MB_ICONINFORMATION);
    }
    return true;
}
