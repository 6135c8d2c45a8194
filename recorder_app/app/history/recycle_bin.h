// A clip of ours leaving the program: to the Recycle Bin where its drive's bin would keep it,
// else deleted outright, and the log says which of the two became of it.
#pragma once
#include <string>

#include "app/history/history_file_api.h"

// False when the file is still there afterwards.
bool RecycleClip(const std::wstring& path, const HistoryFileApi& api = SystemHistoryFileApi());
