// The levels of clips measured before, so that a clip opened again shows its envelope at
// once. They live in the program's own data folder ("Quillbank Recorder\Levels" in
// %LOCALAPPDATA%), never beside the user's recordings, one small file per clip, named after the
// clip file's identity: its volume and file index, size, last write and a digest of its
// first and last 64 KB. A clip changed or replaced in any of these is measured anew; a clip
// moved or renamed on its volume (the Undo history holds clips so) keeps its levels.
#pragma once
#include <string>

#include "audio/levels/level_series.h"

namespace envelope_cache {

// False when the clip has no levels kept, or its file is not the one they were measured on.
bool Load(const std::wstring& clip, levels::Codes& codes);
// Keeps complete levels of a clip; anything that fails leaves nothing behind. An empty list
// is not kept (nor taken from an older entry): the clip is measured when shown.
void Save(const std::wstring& clip, const levels::Codes& codes);
// Removes levels not used for kKeepDays: every Load or Save of a clip renews its file.
void Prune();

constexpr int kKeepDays = 90;

}  // namespace envelope_cache
