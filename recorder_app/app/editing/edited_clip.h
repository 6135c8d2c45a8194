// The files an edit of the current clip makes: the new clip's name in "Unpublished", the cut
// written under a name the user cannot take for a recording and renamed once it is whole on
// disk, and whether a clip can be continued by a take.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "audio/editing/clip_cut.h"

// "2026-12-07-10-11-12<suffix>.mp3" in the unpublished folder, under a name no file has yet.
std::wstring NewEditedClipPath(const wchar_t* suffix);

// Writes `source` without `stretches` to `target`: first into a hidden "~<name>.writing"
// beside it, flushed and measured, then renamed, so that a crash or a full disk never
// leaves a clip that looks whole. kCutWritten, or the cut's result with `error` saying why
// (the partial file removed).
int WriteCutClip(const std::wstring& source, const std::vector<FrameStretch>& stretches, const std::wstring& target,
                 CutSummary& summary, std::wstring& error);

// Removes the hidden "~*.writing" files that a cut cut short by a crash left in `folder`;
// only while no other instance runs, since one may be writing its own.
void RemoveUnfinishedCuts(const std::wstring& folder);

// Whether a take may continue `clip`: it opens with a frame of the recording format at its
// first byte, with no tag or Info frame in front, since the join appends the recording
// format byte for byte and measures the clip by its size.
bool IsContinuableRecording(const std::wstring& clip);
