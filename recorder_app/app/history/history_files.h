// Where the Undo history keeps the clips it holds, and how a clip leaves the program: a
// hidden folder per running instance inside "Unpublished" (".history-<process>"), which the
// user does not stumble over; a clip leaving it goes back under its own name in
// "Unpublished" and from there to the Recycle Bin, so that restoring it puts it where the
// user expects it. The main window's thread only.
#pragma once
#include <cstdint>
#include <string>

class HeldClips {
public:
    // The folder is made when the first clip is held.
    explicit HeldClips(const std::wstring& recordingsFolder);

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

private:
    std::wstring HeldPath(const std::wstring& clip) const;
    std::wstring m_recordings;
    std::wstring m_folder;
};

// To the Recycle Bin where the file's drive has one, else deleted outright; the log says
// which. False when the file is still there afterwards.
bool RecycleClip(const std::wstring& path);
// Free bytes on the drive of `folder`; the largest value when the system cannot tell.
uint64_t FreeBytesOf(const std::wstring& folder);
// Whether a take journal in the recordings folder names `path` (its part or the clip it
// continues).
bool NamedByTakeJournal(const std::wstring& path);
// After a crash: the clips held by histories whose instance is gone (every folder but this
// process's own), each back under its own name and then to the Recycle Bin, and their
// folders removed. Only when no other instance
// runs, since the folders of a running instance are its own.
void ReleaseOrphanedHistories(const std::wstring& recordingsFolder);
