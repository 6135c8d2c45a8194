// Where the Undo history keeps the clips it holds, and how a clip leaves the program: a
// hidden folder per running instance inside "Unpublished" (".history-<process>-<start>"),
// which the user does not stumble over; a clip leaving it goes back under its own name in
// "Unpublished" and from there to the Recycle Bin, so that restoring it puts it where the
// user expects it. The main window's thread only.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>

#include "app/history/edit_history.h"
#include "app/history/history_file_api.h"
#include "app/history/recycle_bin.h"

class HeldClips {
public:
    // The folder is made when the first clip is held, and locked while this instance lives.
    explicit HeldClips(const std::wstring& recordingsFolder, const HistoryFileApi& api = SystemHistoryFileApi());
    ~HeldClips();
    HeldClips(const HeldClips&) = delete;
    HeldClips& operator=(const HeldClips&) = delete;

    // Moves the clip from its own name into the folder; false with `error`. A clip that a
    // take journal names is not moved while the journal exists.
    bool Hold(const std::wstring& clip, std::wstring& error);
    // Brings the clip back under its own name; one that is already there counts as back.
    bool Unhold(const std::wstring& clip, std::wstring& error);
    // A clip leaving the history: back under its own name, then to the Recycle Bin.
    void Release(const std::wstring& clip);
    // A clip leaving the history while the drive runs low: deleted, since the Recycle Bin
    // lies on the same drive and would free nothing.
    void Discard(const std::wstring& clip);
    // Releases whatever is still held and removes the folder.
    void RemoveFolder();
    // The bytes of the clips the folder holds now.
    uint64_t HeldBytes() const;
    // The clip under its own name, else in the folder; empty when it is in neither.
    std::wstring WhereIs(const std::wstring& clip) const;

private:
    std::wstring HeldPath(const std::wstring& clip) const;
    const HistoryFileApi& m_api;
    std::wstring m_recordings;
    std::wstring m_folder;
    HANDLE m_lock = INVALID_HANDLE_VALUE;
};

// The moves of one Undo or Redo, made or given up.
struct StepMoves {
    bool done = false;
    std::wstring error;  // why not, when not done
    // Where the clip left and the clip reached lie now (HeldClips::WhereIs), for those of ours.
    std::wstring leftAt;
    std::wstring reachedAt;
};
// Brings the clip reached back first and only then hides the clip left, so that a crash
// between the two leaves both under their own names, never both hidden (which the sweep of
// the next start would recycle). A hide that fails puts the clip reached back into hiding.
StepMoves MakeStepMoves(HeldClips& held, const FileMoves& moves);

// Free bytes on the drive of `folder`; the largest value when the system cannot tell.
uint64_t FreeBytesOf(const std::wstring& folder);
// Whether a take journal in the recordings folder names `path` (its part or the clip it
// continues).
bool NamedByTakeJournal(const std::wstring& path);
// After a crash: the clips held by histories whose instance is gone, each back under its own
// name and then to the Recycle Bin, and their folders removed. The folders of instances that
// still run, in this session or another, are left alone, and so is this process's own.
void ReleaseOrphanedHistories(const std::wstring& recordingsFolder, const HistoryFileApi& api = SystemHistoryFileApi());
