#include "take_recovery.h"
#include <windows.h>
#include <algorithm>
#include <ctime>
#include "app/command_rules/recording_clock.h"
#include "audio/reading/frame_cut.h"
#include "clip_join.h"
#include "clip_names.h"
#include "recording_frames.h"
#include "runtime/log_file.h"
#include "runtime/system_error.h"
#include "take_journal.h"

namespace {

// A frame of any MPEG audio stream is at most this long; a tail that is shorter than one
// is the frame the process was writing when it ended.
constexpr uint64_t kMostFrameBytes = 4 + kMaxFrameBody;
constexpr DWORD kChunkBytes = 1 << 20;

enum class Access { Readable, Gone, Held };

// A file that is there but cannot be opened now (another program holds it, a scanner looks
// into it) may be readable at the next start; one that is gone never will be.
Access AccessOf(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
        return Access::Readable;
    }
    const DWORD code = GetLastError();
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND || code == ERROR_INVALID_NAME
               ? Access::Gone
               : Access::Held;
}

std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.find_last_of(L'\\'));
}

std::vector<std::wstring> FilesMatching(const std::wstring& folder, const wchar_t* pattern) {
    std::vector<std::pair<ULONGLONG, std::wstring>> found;
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(InFolder(folder, pattern).c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            const ULONGLONG written = static_cast<ULONGLONG>(data.ftLastWriteTime.dwHighDateTime) << 32 |
                                      data.ftLastWriteTime.dwLowDateTime;
            found.emplace_back(written, InFolder(folder, data.cFileName));
        } while (FindNextFileW(search, &data));
        FindClose(search);
    }
    std::sort(found.begin(), found.end());
    std::vector<std::wstring> paths;
    for (auto& entry : found) paths.push_back(entry.second);
    return paths;
}

// Where an opened file or folder really is, every link and junction followed, without the
// "\\?\" prefix ("\\?\UNC\" becomes "\\"); empty when the system cannot tell.
std::wstring FinalPathOf(HANDLE handle) {
    std::wstring path(MAX_PATH, L'\0');
    for (int tries = 0; tries < 2; ++tries) {
        const DWORD length = GetFinalPathNameByHandleW(handle, &path[0], static_cast<DWORD>(path.size()),
                                                       FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) return L"";
        if (length < path.size()) {
            path.resize(length);
            if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + path.substr(8);
            if (path.compare(0, 4, L"\\\\?\\") == 0) return path.substr(4);
            return path;
        }
        path.resize(length + 1);  // too short: `length` is the size it needs
    }
    return L"";
}

bool SameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// Why the opened file at `path` is not an MP3 file directly in the folder whose final path
// is `home`; empty when it is.
std::wstring OutsideWhy(HANDLE file, const std::wstring& path, const std::wstring& home) {
    const std::wstring final = FinalPathOf(file);
    const size_t name = final.find_last_of(L'\\');
    if (final.empty() || name == std::wstring::npos || !SameName(final.substr(0, name), home))
        return path + L" is not in " + home;
    if (final.size() < 4 || !SameName(final.substr(final.size() - 4), L".mp3")) return path + L" is not an MP3 file";
    return L"";
}

// Why the part cannot be a recording of this program (its frames, or where it is); empty
// when it can be.
std::wstring ForeignPartWhy(const std::wstring& part, const std::wstring& home) {
    HANDLE file = CreateFileW(part.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return part + L" cannot be read: " + SystemErrorText(GetLastError());
    std::wstring why = OutsideWhy(file, part, home);
    if (why.empty()) {
        RecordingFrames walk;
        std::vector<uint8_t> buffer(kChunkBytes);
        DWORD got = 0;
        bool read = true;
        while (!walk.Done() && (read = ReadFile(file, buffer.data(), kChunkBytes, &got, nullptr) != FALSE) && got > 0)
            walk.Feed(buffer.data(), got);
        if (!read) why = part + L" cannot be read: " + SystemErrorText(GetLastError());
        else if (walk.Foreign()) why = part + L" is not a recording of this program";
    }
    CloseHandle(file);
    return why;
}

std::wstring ForeignClipWhy(const std::wstring& clip, const std::wstring& home) {
    HANDLE file = CreateFileW(clip.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return clip + L" cannot be read: " + SystemErrorText(GetLastError());
    const std::wstring why = OutsideWhy(file, clip, home);
    CloseHandle(file);
    return why;
}

// The folder's own final path, to which the files' are compared.
std::wstring FinalFolderPath(const std::wstring& folder) {
    HANDLE handle = CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return L"";
    std::wstring path = FinalPathOf(handle);
    CloseHandle(handle);
    if (!path.empty() && path.back() == L'\\') path.pop_back();
    return path;
}

void Discard(const std::wstring& journalPath, const std::wstring& why) {
    g_log.Print(L"!!! The journal of an interrupted recording %s %s; it is removed", journalPath.c_str(),
                why.c_str());
    if (!DeleteFileW(journalPath.c_str()))
        g_log.Print(L"!!! Journal could not be removed: %s", SystemErrorText(GetLastError()).c_str());
}

// A name for the joined clip that no file has yet.
std::wstring FreeJoinedPath(const std::wstring& folder) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (const std::tm* converted = std::localtime(&now)) local = *converted;
    const std::wstring name = JoinedFileName(local);
    std::wstring path = InFolder(folder, name);
    for (int n = 1; GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; ++n)
        path = InFolder(folder, name.substr(0, name.size() - 4) + L"-" + std::to_wstring(n) + L".mp3");
    return path;
}

bool CutTornFrame(const std::wstring& part, uint64_t& end, std::wstring& error) {
    uint64_t size = 0;
    if (!WholeFramesEnd(part, end, size)) {
        error = L"cannot read " + part + L": " + SystemErrorText(GetLastError());
        return false;
    }
    if (end == size) return true;
    HANDLE file = CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(end);
    const bool cut = file != INVALID_HANDLE_VALUE && SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
                     SetEndOfFile(file) && FlushFileBuffers(file);
    if (!cut) error = L"cannot cut the torn last frame off " + part + L": " + SystemErrorText(GetLastError());
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    if (cut)
        g_log.Print(L"Cut %u bytes after the last whole frame of %s", static_cast<unsigned>(size - end), part.c_str());
    return cut;
}

// Whether the file holds only zero bytes from `from` to its end: what a power cut leaves
// where the system had grown the file but not yet written its data.
bool OnlyZerosFrom(HANDLE file, uint64_t from, std::vector<uint8_t>& buffer, bool& read) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(from);
    if (!(read = SetFilePointerEx(file, at, nullptr, FILE_BEGIN) != FALSE)) return false;
    for (;;) {
        DWORD got = 0;
        read = ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) != FALSE;
        if (!read) return false;
        if (got == 0) return true;
        if (std::any_of(buffer.begin(), buffer.begin() + got, [](uint8_t b) { return b != 0; })) return false;
    }
}

}  // namespace

std::vector<LeftTake> FindLeftTakes(const std::wstring& folder) {
    std::vector<LeftTake> takes;
    if (folder.empty()) return takes;
    const std::wstring home = FinalFolderPath(folder);
    for (const std::wstring& temp : FilesMatching(folder, L"take-*.journal.tmp")) {
        // Its rename never came: the take never started, or its journal was renamed already.
        g_log.Print(L"Removing a journal that was left half-written: %s", temp.c_str());
        DeleteFileW(temp.c_str());
    }
    for (const std::wstring& path : FilesMatching(folder, kTakeJournalPattern)) {
        g_log.Print(L"Found the journal of an interrupted recording: %s", path.c_str());
        LeftTake take{path, {}, {}};
        std::wstring error;
        if (!ReadTakeJournal(path, take.journal, error)) {
            Discard(path, L"is unusable (" + error + L")");
            continue;
        }
        const Access part = AccessOf(take.journal.part);
        const Access earlier = take.journal.ContinuesClip() ? AccessOf(take.journal.earlier) : Access::Readable;
        if (part == Access::Gone) {
            Discard(path, L"names a recording that cannot be read: " + take.journal.part);
        } else if (earlier == Access::Gone) {
            Discard(path, L"names a clip that cannot be read: " + take.journal.earlier);
        } else if (part == Access::Held || earlier == Access::Held) {
            g_log.Print(L"!!! The files of an interrupted recording are held open elsewhere; its journal is kept "
                        L"for the next start: %s", path.c_str());
        } else {
            take.foreign = ForeignPartWhy(take.journal.part, home);
            if (take.foreign.empty() && take.journal.ContinuesClip())
                take.foreign = ForeignClipWhy(take.journal.earlier, home);
            if (!take.foreign.empty())
                g_log.Print(L"!!! The journal of an interrupted recording names a file this program did not record: %s",
                            take.foreign.c_str());
            takes.push_back(take);
        }
    }
    return takes;
}

bool WholeFramesEnd(const std::wstring& path, uint64_t& end, uint64_t& size) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER length;
    if (!GetFileSizeEx(file, &length)) {
        CloseHandle(file);
        return false;
    }
    size = static_cast<uint64_t>(length.QuadPart);
    FrameCut walk(size);
    std::vector<uint8_t> buffer(kChunkBytes);
    bool read = true;
    while (!walk.Done()) {
        DWORD got = 0;
        if (!(read = ReadFile(file, buffer.data(), kChunkBytes, &got, nullptr) != FALSE) || got == 0) break;
        walk.Feed(buffer.data(), got);
    }
    if (read && size - walk.Cut() >= kMostFrameBytes && !OnlyZerosFrom(file, walk.Cut(), buffer, read)) {
        end = size;  // damage with more after it: the join keeps it all
    } else {
        end = walk.Cut();
    }
    CloseHandle(file);
    return read;
}

bool RestoreTake(const TakeJournal& journal, RestoredTake& restored, std::wstring& error) {
    // A file held open or a full disk may be gone by the next try.
    restored.worthRetrying = true;
    uint64_t partEnd = 0;
    if (!CutTornFrame(journal.part, partEnd, error)) return false;

    if (!journal.ContinuesClip()) {
        if (partEnd == 0) {
            error = L"the recording holds no sound: " + journal.part;
            restored.worthRetrying = false;
            return false;
        }
        restored.clip = journal.part;
        // A fresh clip begins without spots; those placed while it was recorded are its own.
        restored.spots = journal.spotsChanged ? journal.takeSpots : SpotSet{};
        return true;
    }
    if (partEnd == 0) {
        // Nothing of the take was written: the clip it continued is whole, as before the take.
        g_log.Print(L"The interrupted recording holds no sound; the clip it continued is kept whole");
        DeleteFileW(journal.part.c_str());
        restored.clip = journal.earlier;
        restored.spots = journal.spots;
        return true;
    }

    g_log.Print(L"Joining the interrupted recording with the clip it continued");
    JoinRequest request;
    request.earlier = journal.earlier;
    request.cutAtMostBytes = static_cast<uint64_t>(journal.cutMs) * recording::kBytesPerMs;
    request.part = journal.part;
    request.joined = FreeJoinedPath(FolderOf(journal.part));
    bool damaged = false;
    if (!JoinClips(request, error, SystemJoinFileApi(), &damaged)) {
        restored.worthRetrying = !damaged;
        return false;
    }
    restored.clip = request.joined;
    restored.continued = journal.earlier;
    restored.part = journal.part;
    if (journal.spotsChanged) {
        restored.spots = journal.takeSpots;
        return true;
    }
    restored.spots = journal.spots;
    // As the take itself did when it began: only the spots up to the cursor stay.
    if (journal.cutMs != 0) spots::DropSpotsAfter(restored.spots, journal.cutMs);
    else restored.spots.clear();
    return true;
}
