// The files an edit of the current clip makes: the new clip's name in "Unpublished", the cut
// written under a name the user cannot take for a recording and renamed once it is whole on
// disk, and whether a clip can be continued by a take.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "app/editing/cut_rules.h"
#include "audio/editing/clip_cut.h"

// The frames of a clip as the reader counts them; false when it holds none.
bool ClipFrameClock(const std::wstring& clip, cuts::FrameClock& clock);

// A cut written on a worker: the worker sets `permille` as it reads the clip (once, front to
// back) and stops at its next read once `cancelled` is set.
struct CutWatch {
    std::atomic<int> permille{0};
    std::atomic<bool> cancelled{false};
};
// A cut already written, by a dialog's worker: the new clip and what the cut made.
struct WrittenCut {
    std::wstring target;
    CutSummary summary;
};

// WriteCutClip: the watch cancelled the cut; nothing was written.
constexpr int kCutCancelled = -100;

// "2026-12-07-10-11-12<suffix>.mp3" in the unpublished folder, under a name no file has yet.
std::wstring NewEditedClipPath(const wchar_t* suffix);

// Writes `source` without `stretches` to `target`: first into a hidden "~<name>.writing"
// beside it, flushed and measured, then renamed, so that a crash or a full disk never
// leaves a clip that looks whole. kCutWritten, or the cut's result with `error` saying why
// (the partial file removed), or kCutCancelled.
int WriteCutClip(const std::wstring& source, const std::vector<FrameStretch>& stretches, const std::wstring& target,
                 CutSummary& summary, std::wstring& error, CutWatch* watch = nullptr);

// Removes the hidden "~*.writing" files that a cut cut short by a crash left in `folder`;
// only while no other instance runs, since one may be writing its own.
void RemoveUnfinishedCuts(const std::wstring& folder);

// Whether a take may continue `clip`: it opens with a frame of the recording format at its
// first byte (an Info frame of that format counts), with no tag in front, since the join
// appends the recording format byte for byte and finds the cursor at 12 bytes a millisecond.
bool IsContinuableRecording(const std::wstring& clip);
