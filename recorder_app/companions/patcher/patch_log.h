// The updater's short log, "patcher.log" beside the recorder's log in "My Podcasts", written
// like the recorder's (UTF-16LE lines, truncated at every start).
#pragma once
#include "runtime/log_file.h"

// Opens the log and writes its header; a log that cannot be opened stays closed.
void OpenPatcherLog(CLogFile* log);
