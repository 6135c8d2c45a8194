// A named mark that the program runs, for the installer and the uninstaller (they must not
// replace or remove the files of a running program; opening the program file for writing
// cannot tell them, since that fails just as well for a read-only file, and so for ever) and
// for the recovery of an interrupted take, which must not touch the take of another instance.
#pragma once

// The installer script (installer/recorder.nsi) asks for this name: both must change together.
constexpr wchar_t kRunningMarkName[] = L"Local\\QuillbankRecorderRunning";

// Makes the mark; it lasts until the process ends, however it ends.
void MarkProgramRunning();
// Whether this process made the mark while no other instance held it.
bool IsOnlyRunningInstance();
