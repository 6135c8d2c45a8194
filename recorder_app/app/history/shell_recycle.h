// The shell's delete with undo, for one file, and what it reports it did with the file.
#pragma once
#include "app/history/history_file_api.h"

// Through the shell's file operation object, whose report names the item it created in the
// Recycle Bin; where the system has none that works (older shells, Wine), through
// SHFileOperationW, judged by whether the drive's bin grew by the file.
RecycleReport WINAPI ShellRecycle(LPCWSTR path);
