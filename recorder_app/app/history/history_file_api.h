// The file and shell calls through which clips are hidden, brought back, deleted and sent to
// the Recycle Bin, gathered in a table so that tests can make a move fail halfway (a crash
// between the two moves of an Undo) or give a drive a Recycle Bin that would delete.
#pragma once
#include <windows.h>
#include <shellapi.h>
#include <cstdint>

// What the registry says of one drive's Recycle Bin.
struct RecycleBinSettings {
    bool nukeOnDelete = false;  // files are deleted at once, not kept
    uint64_t maxBytes = 0;      // the most the bin holds; 0: not known
};

// What became of a file the shell was asked to recycle.
enum class RecycleReport {
    kInBin,        // the shell reported it in the Recycle Bin
    kDeleted,      // the shell deleted it outright
    kUnconfirmed,  // gone, but the shell does not say where
    kFailed,       // still there
};

struct HistoryFileApi {
    BOOL(WINAPI* moveFile)(LPCWSTR from, LPCWSTR to, DWORD flags);
    BOOL(WINAPI* deleteFile)(LPCWSTR path);
    UINT(WINAPI* driveType)(LPCWSTR root);
    HRESULT(WINAPI* queryRecycleBin)(LPCWSTR root, SHQUERYRBINFO* info);
    // The bin's settings for the drive at `root` (a root with its backslash); false when the
    // registry holds none.
    bool(WINAPI* binSettings)(LPCWSTR root, RecycleBinSettings* settings);
    // Asks the shell to recycle one file and says what it did.
    RecycleReport(WINAPI* recycle)(LPCWSTR path);
};

// MoveFileExW, DeleteFileW, GetDriveTypeW, SHQueryRecycleBinW, the registry's BitBucket
// settings, and the shell's delete with undo.
const HistoryFileApi& SystemHistoryFileApi();
