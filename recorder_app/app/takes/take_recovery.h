// Finishing a take that the program did not live to end (killed, crashed, the power lost),
// from the journal it left: the part cut after its last whole frame, then joined to the
// clip it continued, as the stop of the take would have done. No window of its own.
#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "take_journal_format.h"

struct LeftTake {
    std::wstring journalPath;
    TakeJournal journal;
    // Why its files cannot be ones the recorder wrote; empty when they can be. Such a
    // journal is never restored: its files stay untouched.
    std::wstring foreign;
};
// The journals left in `folder`, oldest first, each naming files that can be read. A
// damaged journal, one that names a missing file, and a temporary file of a journal that was
// being written are logged and removed; their recordings stay. A journal whose files another
// program holds open now is left for a later start.
//
// A journal is trusted only for what the recorder writes: a part and an earlier clip that are
// MP3 files in `folder` itself, judged on where the opened files really are (no "..", short
// name, link or junction leads out), and a part of whole frames of the recording format.
// Anything else is returned with `foreign` set.
std::vector<LeftTake> FindLeftTakes(const std::wstring& folder);

// Where the whole frames of an MP3 file end: its size less a torn last frame, or less the
// zeros after its last frame. Other damage farther from the end than one frame is not a torn
// frame, and the file's size is given then.
bool WholeFramesEnd(const std::wstring& path, uint64_t& end, uint64_t& size);

struct RestoredTake {
    std::wstring clip;
    SpotSet spots;
    // After a join: the clip the take continued and the part, left for the caller to keep
    // for Undo or dispose of; empty otherwise.
    std::wstring continued;
    std::wstring part;
    bool worthRetrying = false;  // after a failure: whether a later start may succeed
};
// Finishes the take: cuts the torn last frame off the part and, when the take continued a
// clip, joins that clip up to the cut and the part into a new file in the part's folder. A
// part without a whole frame leaves the earlier clip as it was, with its spots. false with
// `error`: every file with audio is kept; a fresh part without a whole frame, and an
// earlier clip damaged before the point the take continued it from, are not worth another
// try.
bool RestoreTake(const TakeJournal& journal, RestoredTake& restored, std::wstring& error);
