#include "history_files.h"
#include "runtime/folders.h"
#include <windows.h>
#include <shellapi.h>
#include <cwctype>
#include <vector>
#include "app/takes/clip_names.h"
#include "app/takes/take_journal.h"
#include "runtime/log_file.h"
#include "runtime/system_error.h"

namespace {

constexpr wchar_t kHistoryFolderPrefix[] = L".history-";

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// The drive's root, for the questions asked of the drive itself.
std::wstring VolumeOf(const std::wstring& path) {
    wchar_t root[MAX_PATH] = L"";
    if (!GetVolumePathNameW(path.c_str(), root, MAX_PATH)) return L"";
    return root;
}

// SHFileOperation deletes outright where it cannot recycle and reports success either way,
// so the drive is asked first: fixed drives keep a Recycle Bin, removable and network
// drives do not.
bool DriveHasRecycleBin(const std::wstring& path) {
    const std::wstring root = VolumeOf(path);
    if (root.empty() || GetDriveTypeW(root.c_str()) != DRIVE_FIXED) return false;
    SHQUERYRBINFO info{};
    info.cbSize = sizeof info;
    return SUCCEEDED(SHQueryRecycleBinW(root.c_str(), &info));
}

// Moves a file from a to b; false with the system's reason.
bool MoveClip(const std::wstring& from, const std::wstring& to, std::wstring& error) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return true;
    error = L"cannot move " + from + L" to " + to + L": " + SystemErrorText(GetLastError());
    return false;
}

void ReleaseFolder(const std::wstring& folder, const std::wstring& recordings) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            const std::wstring held = folder + L"\\" + found.cFileName;
            const std::wstring own = InFolder(recordings, found.cFileName);
            std::wstring error;
            if (!Exists(own) && MoveClip(held, own, error)) {
                RecycleClip(own);
            } else {
                if (!error.empty()) g_log.Print(L"!!! %s", error.c_str());
                RecycleClip(held);
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

HeldClips::HeldClips(const std::wstring& recordingsFolder)
    : m_recordings(recordingsFolder),
      m_folder(InFolder(recordingsFolder, kHistoryFolderPrefix + std::to_wstring(GetCurrentProcessId()))) {}

std::wstring HeldClips::HeldPath(const std::wstring& clip) const {
    return InFolder(m_folder, FileNameOf(clip));
}

bool HeldClips::Hold(const std::wstring& clip, std::wstring& error) {
    if (NamedByTakeJournal(clip)) {
        error = L"an interrupted recording still needs " + clip;
        return false;
    }
    if (CreateDirectoryW(m_folder.c_str(), nullptr)) SetFileAttributesW(m_folder.c_str(), FILE_ATTRIBUTE_HIDDEN);
    return MoveClip(clip, HeldPath(clip), error);
}

bool HeldClips::Unhold(const std::wstring& clip, std::wstring& error) {
    const std::wstring held = HeldPath(clip);
    if (!Exists(held) && Exists(clip)) return true;
    return MoveClip(held, clip, error);
}

void HeldClips::Release(const std::wstring& clip) {
    const std::wstring held = HeldPath(clip);
    std::wstring error;
    if (Exists(held)) {
        if (Exists(clip) || !MoveClip(held, clip, error)) {
            if (!error.empty()) g_log.Print(L"!!! %s", error.c_str());
            RecycleClip(held);
            return;
        }
    }
    if (NamedByTakeJournal(clip)) {
        g_log.Print(L"Clip kept for an interrupted recording: %s", clip.c_str());
        return;
    }
    if (Exists(clip)) RecycleClip(clip);
}

void HeldClips::Discard(const std::wstring& clip) {
    const std::wstring held = HeldPath(clip);
    const std::wstring path = Exists(held) ? held : clip;
    if (!Exists(path) || (path == clip && NamedByTakeJournal(clip))) return;
    if (DeleteFileW(path.c_str())) g_log.Print(L"Deleted to keep space for recording: %s", clip.c_str());
    else g_log.Print(L"!!! cannot delete %s: %s", path.c_str(), SystemErrorText(GetLastError()).c_str());
}

void HeldClips::RemoveFolder() {
    if (Exists(m_folder)) ReleaseFolder(m_folder, m_recordings);
}

bool RecycleClip(const std::wstring& path) {
    if (!DriveHasRecycleBin(path)) {
        if (DeleteFileW(path.c_str())) {
            g_log.Print(L"Deleted (its drive has no Recycle Bin): %s", path.c_str());
            return true;
        }
        g_log.Print(L"!!! cannot delete %s: %s", path.c_str(), SystemErrorText(GetLastError()).c_str());
        return false;
    }
    std::wstring from = path;
    from.push_back(L'\0');  // the list ends with a second zero
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    const int result = SHFileOperationW(&operation);
    if (result == 0 && !operation.fAnyOperationsAborted && !Exists(path)) {
        g_log.Print(L"Moved to the Recycle Bin: %s", path.c_str());
        return true;
    }
    g_log.Print(L"!!! cannot move %s to the Recycle Bin (error %d)", path.c_str(), result);
    return false;
}

uint64_t FreeBytesOf(const std::wstring& folder) {
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExW(folder.c_str(), &available, nullptr, nullptr)) return UINT64_MAX;
    return available.QuadPart;
}

bool NamedByTakeJournal(const std::wstring& path) {
    const std::wstring folder = TakeJournalFolder();
    if (folder.empty()) return false;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(InFolder(folder, kTakeJournalPattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool named = false;
    do {
        TakeJournal journal;
        std::wstring error;
        if (ReadTakeJournal(InFolder(folder, found.cFileName), journal, error))
            named = SameFile(journal.part, path) || (journal.ContinuesClip() && SameFile(journal.earlier, path));
    } while (!named && FindNextFileW(search, &found));
    FindClose(search);
    return named;
}

void ReleaseOrphanedHistories(const std::wstring& recordingsFolder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(InFolder(recordingsFolder, std::wstring(kHistoryFolderPrefix) + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    // This run's own folder may hold the clip a restore just replaced.
    const std::wstring own = kHistoryFolderPrefix + std::to_wstring(GetCurrentProcessId());
    std::vector<std::wstring> folders;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !SameFile(found.cFileName, own))
            folders.push_back(InFolder(recordingsFolder, found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    for (const std::wstring& folder : folders) {
        g_log.Print(L"Undo history left by an earlier run found: its clips go to the Recycle Bin: %s", folder.c_str());
        ReleaseFolder(folder, recordingsFolder);
    }
}
