// Undo and Redo: Ctrl+Z and Ctrl+Y, and the "Undo <step>" and "Redo <step>" items of the
// system menu. A step is a take (with its join and the spots placed while it ran), an
// evening out, a spot placed or removed, or the restore of an interrupted take. The clips a
// step replaced wait in the history's own folder; the current clip is always under its own
// name in "Unpublished", and a file the user opened is never moved.
#include <algorithm>
#include "app/editing/edit_menu.h"
#include "app/history/history_menu.h"
#include "main_dlg.h"
#include "runtime/log_file.h"

namespace {

bool Exists(const std::wstring& path) {
    return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// What a two-hour take and its join need on the recordings' drive, and some to spare: below
// it, the oldest steps give their clips up so that the history never fills the disk.
constexpr uint64_t kLowSpaceBytes = 256ull << 20;
constexpr uint64_t kMostHeldBytes = 1ull << 30;

}  // namespace

ClipState CMainDlg::CurrentState() const {
    return ClipState{m_clipPath, m_isImported != FALSE, m_spots, m_timeLine.GetPosition()};
}

void CMainDlg::RecordStep(StepKind kind, const ClipState& before, const uint32_t* cursorAfter) {
    ClipState after = CurrentState();
    if (cursorAfter != nullptr) after.cursor = *cursorAfter;
    // The clip the step replaced waits for Undo in the history's folder.
    const FileMoves moves = MovesBetween(before, after);
    std::wstring error;
    if (!moves.hold.empty() && !m_held.Hold(moves.hold, error))
        g_log.Print(L"!!! The replaced clip stays where it is: %s", error.c_str());
    ReleaseClips(m_history.Push(EditStep{kind, before, after}));
    g_log.Print(L"Undo step: %s", StepName(kind));
    KeepSpaceForRecording();
}

void CMainDlg::ReleaseClips(const std::vector<std::wstring>& clips) {
    for (const std::wstring& clip : clips) m_held.Release(clip);
}

void CMainDlg::ForgetHistory() {
    if (!m_history.Empty()) {
        ReleaseClips(m_history.Clear());
        g_log.Print(L"Undo history cleared");
    }
    m_held.RemoveFolder();
}

void CMainDlg::KeepSpaceForRecording() {
    const std::wstring folder = RecordingsFolder();
    std::vector<std::wstring> released;
    while (!m_history.Empty() && FreeBytesOf(folder) < kLowSpaceBytes && m_history.DropOldest(released)) {
        for (const std::wstring& clip : released) m_held.Discard(clip);
        g_log.Print(L"The recordings' drive runs low: the oldest Undo step was dropped");
    }
    // Each cut of a two-hour clip holds a whole copy of it: the history keeps at most
    // kMostHeldBytes of clips, giving up its oldest steps first.
    while (!m_history.Empty() && m_held.HeldBytes() > kMostHeldBytes && m_history.DropOldest(released)) {
        ReleaseClips(released);
        g_log.Print(L"The Undo history holds more than %d MB of clips: the oldest Undo step was dropped",
                    static_cast<int>(kMostHeldBytes >> 20));
    }
}

LRESULT CMainDlg::OnUndo(WORD, WORD, HWND, BOOL&) {
    StepThroughHistory(true);
    return 0;
}

LRESULT CMainDlg::OnRedo(WORD, WORD, HWND, BOOL&) {
    StepThroughHistory(false);
    return 0;
}

LRESULT CMainDlg::OnHistorySysCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    const UINT command = static_cast<UINT>(wParam & 0xFFF0);
    if (command != kUndoCommand && command != kRedoCommand) {
        bHandled = FALSE;
        return 0;
    }
    StepThroughHistory(command == kUndoCommand);
    return 0;
}

LRESULT CMainDlg::OnHistoryMenuPopup(UINT, WPARAM, LPARAM lParam, BOOL& bHandled) {
    bHandled = FALSE;  // the microphone's submenu is filled as well
    if (!HIWORD(lParam)) return 0;
    const bool idle = m_mode == kModeIdle;
    const EditStep* undo = idle ? m_history.NextUndo() : nullptr;
    const EditStep* redo = idle ? m_history.NextRedo() : nullptr;
    ShowHistoryMenuItems(m_hWnd, undo ? StepName(undo->kind) : nullptr, redo ? StepName(redo->kind) : nullptr);
    EnableEditMenuItems(m_hWnd, idle && !m_clipPath.empty() && !m_timeLine.GetSelection().Empty(),
                        idle && !m_clipPath.empty());
    return 0;
}

void CMainDlg::StepThroughHistory(bool undo) {
    const EditStep* step = undo ? m_history.NextUndo() : m_history.NextRedo();
    // Refused while recording or playing, and while a box or dialog of the window's is open.
    if (step == nullptr || m_mode != kModeIdle || !::IsWindowEnabled(m_hWnd)) {
        MessageBeep(MB_OK);
        return;
    }
    const ClipState from = undo ? step->after : step->before;
    const ClipState to = undo ? step->before : step->after;
    const StepKind kind = step->kind;
    ReleasePlayer();  // the player keeps the clip open, and so does a level scan
    m_envelope.StopScan();
    const FileMoves moves = MovesBetween(from, to);
    const StepMoves made = MakeStepMoves(m_held, moves);
    if (!made.done) {
        ShowFailedStep(undo, kind, from, to, moves, made);
        return;
    }
    if (undo) m_history.Undone();
    else m_history.Redone();
    ShowState(to);
    g_log.Print(L"%s %s: %s, %d spots, cursor at %d ms", undo ? L"Undo" : L"Redo", StepName(kind),
                m_clipPath.empty() ? L"no clip" : m_clipPath.c_str(), static_cast<int>(m_spots.size()),
                static_cast<int>(m_timeLine.GetPosition()));
    const timeline::Selection selection = m_timeLine.GetSelection();
    if (!selection.Empty())
        g_log.Print(L"Selection brought back: %d to %d ms", static_cast<int>(selection.start), static_cast<int>(selection.end));
}

// The window never keeps a clip that is no longer where it says: it shows the clip it had where
// that now lies, else the state the step went to when that is there, else no clip at all.
void CMainDlg::ShowFailedStep(bool undo, StepKind kind, const ClipState& from, const ClipState& to,
                              const FileMoves& moves, const StepMoves& made) {
    const wchar_t* command = undo ? L"Undo" : L"Redo";
    g_log.Print(L"!!! %s %s failed: %s", command, StepName(kind), made.error.c_str());
    std::wstring text = std::wstring(command) + L" is not possible now:\n" + made.error;
    const std::wstring left = moves.hold.empty() ? (Exists(from.clip) ? from.clip : L"") : made.leftAt;
    const std::wstring reached = moves.unhold.empty() ? (Exists(to.clip) ? to.clip : L"") : made.reachedAt;
    // A clip of the history's that could not be put back out of sight lies under its own name.
    const bool reachedOut = !moves.unhold.empty() && reached == moves.unhold;
    if (left != from.clip || reachedOut) {
        const std::wstring files = L"\n\nThe current clip: " + (left.empty() ? L"missing" : left) + L"\nThe clip " +
                                   command + L" brings back: " + (reached.empty() ? L"missing" : reached);
        g_log.Print(L"!!! %s", files.substr(2).c_str());
        text += files;
    }
    if (left == from.clip) {
        m_envelope.ShowClip(m_clipPath, m_timeLine.GetLength());  // the scan stopped for the moves
    } else if (!left.empty()) {
        ShowState(ClipState{left, from.imported, from.spots, from.cursor});
    } else if (to.clip.empty() || reached == to.clip) {
        if (undo) m_history.Undone();
        else m_history.Redone();
        ShowState(to);
    } else {
        ShowState(ClipState{});
    }
    MessageBoxW(m_hWnd, text.c_str(), L"Error", MB_ICONERROR);
}

void CMainDlg::ShowState(const ClipState& state) {
    m_timeLine.ClearSelection();
    m_clipPath = state.clip;
    m_isImported = state.imported ? TRUE : FALSE;
    m_prevPartPath.clear();
    m_startPos = 0;
    m_spots = state.spots;
    uint32_t duration = 0;
    if (!m_clipPath.empty()) {
        const uint32_t measured = ClipDuration(m_clipPath);
        if (measured != ClipPlayer::kNoDuration) duration = measured;
    }
    SwitchMode(m_clipPath.empty() ? InterfaceMode::New : InterfaceMode::Idle);
    m_timeLine.SetLength(duration);
    m_timeLine.SetPosition(static_cast<int32_t>(std::min(state.cursor, duration)));
    m_envelope.ShowClip(m_clipPath, duration);
    // Undo of a cut selects again the stretch it brought back.
    if (state.selectionEnd > state.selectionStart)
        m_timeLine.SetSelection(timeline::Selection{state.selectionStart, state.selectionEnd});
    ShowSpots();
    uint32_t spot = 0;
    ShowSpotFace(FindSpotAt(m_timeLine.GetPosition(), spot));
    m_btnAdvSpot.RedrawNow();
}
