// The whole updater: wait for the recorder in the program's folder to end, move the update
// into place (or put everything back), tell the user about a failure, start the recorder.
#pragma once
#include <windows.h>
#include <string>
#include "runtime/log_file.h"

// How long the recorder gets to close after it started the updater.
constexpr DWORD kRecorderExitTimeoutMs = 60000;

enum class PatchOutcome {
    Installed,      // every file moved; the recorder was started again
    RolledBack,     // a file could not be replaced; all put back; the recorder was started again
    RecorderStuck,  // the recorder did not end in time; nothing was touched
};

// Runs the updater for the program in programFolder (full path) and returns what happened.
// The user is told about a failure with a message box.
PatchOutcome RunPatcher(const std::wstring& programFolder, CLogFile* log, DWORD recorderTimeoutMs);
