// Moves the files of an update from "updates" into the program's folder as one change: each
// file it replaces is first set aside in a backup folder inside the program's folder, and
// only when every new file is in place are the set-aside originals deleted. If any step
// fails, every new file goes back to "updates" and every original back to its place, so a
// failed update never leaves a half-updated program. Nothing is written outside the program's
// folder: every path is the folder joined with a checked relative path.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "runtime/log_file.h"

// Inside the program's folder; holds the originals while the update is being put in place.
constexpr wchar_t kBackupFolderName[] = L"update_backup";

class UpdateInstaller {
public:
    // programFolder is the full path of the program's folder; log may be closed.
    UpdateInstaller(const std::wstring& programFolder, CLogFile* log);

    // Moves every file listed (paths relative to "updates") to the same place in the program's
    // folder. On success "updates" is left with no files in it. On failure everything is put
    // back and false is returned; FailedFile and FailureCode say what went wrong.
    bool Install(const std::vector<std::wstring>& files);

    const std::wstring& FailedFile() const { return m_failedFile; }
    DWORD FailureCode() const { return m_failureCode; }
    // After a failure: whether every original and every new file went back where it was.
    // When not, what could not be moved back is still in BackupFolder or "updates".
    bool RollbackComplete() const { return m_rollbackComplete; }
    std::wstring BackupFolder() const;

private:
    struct Step {
        std::wstring relative;
        bool backedUp = false;  // the original now lies in the backup folder
        bool movedIn = false;   // the new file now lies in the program's folder
    };

    bool InstallOne(Step* step);
    bool CreateFoldersFor(const std::wstring& root, const std::wstring& relative, bool remember);
    bool Fail(const std::wstring& relative, DWORD code);
    void RollBack();
    void DiscardBackups();

    std::wstring m_programFolder;
    std::wstring m_updatesFolder;
    CLogFile* m_log;
    std::vector<Step> m_steps;
    std::vector<std::wstring> m_createdFolders;  // in the program's folder, in creation order
    std::wstring m_failedFile;
    DWORD m_failureCode = ERROR_SUCCESS;
    bool m_rollbackComplete = true;
};
