#include "update_install.h"
#include "update_files.h"
#include "runtime/system_error.h"

UpdateInstaller::UpdateInstaller(const std::wstring& programFolder, CLogFile* log)
    : m_programFolder(programFolder), m_updatesFolder(JoinPath(programFolder, kUpdatesFolderName)), m_log(log) {}

std::wstring UpdateInstaller::BackupFolder() const { return JoinPath(m_programFolder, kBackupFolderName); }

bool UpdateInstaller::Install(const std::vector<std::wstring>& files) {
    m_steps.clear();
    m_createdFolders.clear();
    m_failedFile.clear();
    m_failureCode = ERROR_SUCCESS;
    m_rollbackComplete = true;
    // Every path is checked before anything moves, so a bad name changes nothing at all.
    for (const std::wstring& relative : files) {
        if (!IsContainedRelativePath(relative) || relative == kBackupFolderName ||
            relative.rfind(std::wstring(kBackupFolderName) + L"\\", 0) == 0)
            return Fail(relative, ERROR_INVALID_NAME);
    }
    for (const std::wstring& relative : files) {
        m_steps.push_back(Step{relative});
        if (!InstallOne(&m_steps.back())) {
            RollBack();
            return false;
        }
    }
    DiscardBackups();
    RemoveEmptyFoldersUnder(m_updatesFolder);
    return true;
}

bool UpdateInstaller::InstallOne(Step* step) {
    const std::wstring source = JoinPath(m_updatesFolder, step->relative);
    const std::wstring target = JoinPath(m_programFolder, step->relative);
    if (!CreateFoldersFor(m_programFolder, step->relative, true)) return Fail(step->relative, GetLastError());
    if (GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES) {
        // Renamed rather than copied: a running program's file can be renamed but not
        // overwritten, and a file someone holds open without sharing cannot be renamed, which
        // is exactly the case that must stop the update.
        if (!CreateFoldersFor(BackupFolder(), step->relative, false)) return Fail(step->relative, GetLastError());
        const std::wstring backup = JoinPath(BackupFolder(), step->relative);
        if (!MoveFileExW(target.c_str(), backup.c_str(), MOVEFILE_REPLACE_EXISTING))
            return Fail(step->relative, GetLastError());
        step->backedUp = true;
    }
    if (!MoveFileExW(source.c_str(), target.c_str(), 0)) return Fail(step->relative, GetLastError());
    step->movedIn = true;
    m_log->Print(L"Replaced %s", step->relative.c_str());
    return true;
}

bool UpdateInstaller::CreateFoldersFor(const std::wstring& root, const std::wstring& relative, bool remember) {
    if (!CreateDirectoryW(root.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    for (size_t slash = relative.find(L'\\'); slash != std::wstring::npos; slash = relative.find(L'\\', slash + 1)) {
        const std::wstring folder = JoinPath(root, relative.substr(0, slash));
        if (CreateDirectoryW(folder.c_str(), nullptr)) {
            if (remember) m_createdFolders.push_back(folder);
        } else if (GetLastError() != ERROR_ALREADY_EXISTS) {
            return false;
        }
    }
    return true;
}

bool UpdateInstaller::Fail(const std::wstring& relative, DWORD code) {
    m_failedFile = relative;
    m_failureCode = code;
    m_log->Print(L"!!! Cannot replace %s: %s", relative.c_str(), SystemErrorText(code).c_str());
    return false;
}

void UpdateInstaller::RollBack() {
    for (auto step = m_steps.rbegin(); step != m_steps.rend(); ++step) {
        const std::wstring source = JoinPath(m_updatesFolder, step->relative);
        const std::wstring target = JoinPath(m_programFolder, step->relative);
        const std::wstring backup = JoinPath(BackupFolder(), step->relative);
        if (step->movedIn && !MoveFileExW(target.c_str(), source.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            m_rollbackComplete = false;
            m_log->Print(L"!!! Cannot take back %s: %s", step->relative.c_str(), SystemErrorText(GetLastError()).c_str());
        }
        if (step->backedUp && !MoveFileExW(backup.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            m_rollbackComplete = false;
            m_log->Print(L"!!! Cannot restore %s: %s", step->relative.c_str(), SystemErrorText(GetLastError()).c_str());
        }
    }
    for (auto folder = m_createdFolders.rbegin(); folder != m_createdFolders.rend(); ++folder)
        RemoveDirectoryW(folder->c_str());
    RemoveEmptyFoldersUnder(BackupFolder());
    RemoveDirectoryW(BackupFolder().c_str());
    m_log->Print(m_rollbackComplete ? L"Rolled back: the program is as it was" : L"!!! Rollback incomplete");
}

void UpdateInstaller::DiscardBackups() {
    for (const Step& step : m_steps) {
        if (!step.backedUp) continue;
        const std::wstring backup = JoinPath(BackupFolder(), step.relative);
        // A replaced program that still runs (this updater itself) cannot be deleted yet; it
        // stays in the backup folder and goes with the next update.
        if (!DeleteFileW(backup.c_str()))
            m_log->Print(L"Kept old %s: %s", step.relative.c_str(), SystemErrorText(GetLastError()).c_str());
    }
    RemoveEmptyFoldersUnder(BackupFolder());
    RemoveDirectoryW(BackupFolder().c_str());
}
