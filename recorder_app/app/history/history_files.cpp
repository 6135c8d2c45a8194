#include "history_files.h"
#include "runtime/folders.h"
#include <vector>
#include "app/history/history_owner.h"
#include "app/takes/clip_names.h"
#include "app/takes/take_journal.h"
#include "runtime/log_file.h"
#include "runtime/system_error.h"

namespace {

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SameFile(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Moves a file from a to b; false with the system's reason.
bool MoveClip(const std::wstring& from, const std::wstring& to, std::wstring& error, const HistoryFileApi& api) {
    if (api.moveFile(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return true;
    error = L"cannot move " + from + L" to " + to + L": " + SystemErrorText(GetLastError());
    return false;
}

void ReleaseFolder(const std::wstring& folder, const std::wstring& recordings, const HistoryFileApi& api) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || SameFile(found.cFileName, kHistoryLockName))
                continue;
            const std::wstring held = folder + L"\\" + found.cFileName;
            const std::wstring own = InFolder(recordings, found.cFileName);
            std::wstring error;
            if (!Exists(own) && MoveClip(held, own, error, api)) {
                RecycleClip(own, api);
            } else {
                if (!error.empty()) g_log.Print(L"!!! %s", error.c_str());
                RecycleClip(held, api);
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
}

void RemoveEmptyFolder(const std::wstring& folder) {
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

HeldClips::HeldClips(const std::wstring& recordingsFolder, const HistoryFileApi& api)
    : m_api(api), m_recordings(recordingsFolder), m_folder(InFolder(recordingsFolder, OwnHistoryFolderName())) {}

HeldClips::~HeldClips() {
    if (m_lock != INVALID_HANDLE_VALUE) CloseHandle(m_lock);
}

std::wstring HeldClips::HeldPath(const std::wstring& clip) const {
    return InFolder(m_folder, FileNameOf(clip));
}

std::wstring HeldClips::WhereIs(const std::wstring& clip) const {
    if (Exists(clip)) return clip;
    const std::wstring held = HeldPath(clip);
    return Exists(held) ? held : std::wstring();
}

bool HeldClips::Hold(const std::wstring& clip, std::wstring& error) {
    if (NamedByTakeJournal(clip)) {
        error = L"an interrupted recording still needs " + clip;
        return false;
    }
    if (CreateDirectoryW(m_folder.c_str(), nullptr)) SetFileAttributesW(m_folder.c_str(), FILE_ATTRIBUTE_HIDDEN);
    // Without the lock the folder's name still tells other instances that it is taken.
    if (m_lock == INVALID_HANDLE_VALUE) m_lock = LockHistoryFolder(m_folder);
    return MoveClip(clip, HeldPath(clip), error, m_api);
}

bool HeldClips::Unhold(const std::wstring& clip, std::wstring& error) {
    const std::wstring held = HeldPath(clip);
    if (!Exists(held) && Exists(clip)) return true;
    return MoveClip(held, clip, error, m_api);
}

void HeldClips::Release(const std::wstring& clip) {
    const std::wstring held = HeldPath(clip);
    std::wstring error;
    if (Exists(held)) {
        if (Exists(clip) || !MoveClip(held, clip, error, m_api)) {
            if (!error.empty()) g_log.Print(L"!!! %s", error.c_str());
            RecycleClip(held, m_api);
            return;
        }
    }
    if (NamedByTakeJournal(clip)) {
        g_log.Print(L"Clip kept for an interrupted recording: %s", clip.c_str());
        return;
    }
    if (Exists(clip)) RecycleClip(clip, m_api);
}

void HeldClips::Discard(const std::wstring& clip) {
    const std::wstring held = HeldPath(clip);
    const std::wstring path = Exists(held) ? held : clip;
    if (!Exists(path) || (path == clip && NamedByTakeJournal(clip))) return;
    if (m_api.deleteFile(path.c_str())) g_log.Print(L"Deleted to keep space for recording: %s", clip.c_str());
    else g_log.Print(L"!!! cannot delete %s: %s", path.c_str(), SystemErrorText(GetLastError()).c_str());
}

uint64_t HeldClips::HeldBytes() const {
    uint64_t total = 0;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((m_folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            total += (uint64_t{found.nFileSizeHigh} << 32) | found.nFileSizeLow;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return total;
}

void HeldClips::RemoveFolder() {
    if (!Exists(m_folder)) return;
    ReleaseFolder(m_folder, m_recordings, m_api);
    if (m_lock != INVALID_HANDLE_VALUE) CloseHandle(m_lock);  // the lock file goes with it
    m_lock = INVALID_HANDLE_VALUE;
    RemoveEmptyFolder(m_folder);
}

StepMoves MakeStepMoves(HeldClips& held, const FileMoves& moves) {
    StepMoves result;
    result.done = moves.unhold.empty() || held.Unhold(moves.unhold, result.error);
    if (result.done && !moves.hold.empty() && !held.Hold(moves.hold, result.error)) {
        result.done = false;
        std::wstring error;
        if (!moves.unhold.empty() && !held.Hold(moves.unhold, error)) result.error += L"\n" + error;
    }
    if (!moves.hold.empty()) result.leftAt = held.WhereIs(moves.hold);
    if (!moves.unhold.empty()) result.reachedAt = held.WhereIs(moves.unhold);
    return result;
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

void ReleaseOrphanedHistories(const std::wstring& recordingsFolder, const HistoryFileApi& api) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(InFolder(recordingsFolder, std::wstring(kHistoryFolderPrefix) + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    std::vector<std::wstring> names;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) names.push_back(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    for (const std::wstring& name : names) {
        // This run's own folder may hold the clip a restore just replaced, and the owner of
        // another still runs, whenever it started and in whichever session.
        if (HistoryOwnerRuns(name)) continue;
        const std::wstring folder = InFolder(recordingsFolder, name);
        // Its lock is held by an owner the name cannot tell of, or by another instance's sweep.
        HANDLE lock = LockHistoryFolder(folder);
        if (lock == INVALID_HANDLE_VALUE) {
            g_log.Print(L"Undo history of a running instance left as it is: %s", folder.c_str());
            continue;
        }
        g_log.Print(L"Undo history left by an earlier run found: its clips go to the Recycle Bin: %s", folder.c_str());
        ReleaseFolder(folder, recordingsFolder, api);
        CloseHandle(lock);
        RemoveEmptyFolder(folder);
    }
}
