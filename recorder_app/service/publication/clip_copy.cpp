#include "clip_copy.h"
#include "runtime/folders.h"
#include <windows.h>
#include <vector>
#include "file_name_cleaning.h"

namespace {

constexpr DWORD kBlockBytes = 1024 * 1024;
// Past " (999)" the folder is no place for another copy of the day's title.
constexpr unsigned kLastCopyNumber = 999;
// Declared by the headers only from Windows 8 on, which is also the first to answer it.
constexpr FILE_INFO_BY_HANDLE_CLASS kFileIdInfo = static_cast<FILE_INFO_BY_HANDLE_CLASS>(18);
struct FileIdInfo {
    ULONGLONG volumeSerialNumber;
    BYTE fileId[16];
};
constexpr size_t kLongestNameChars = 32768;  // of a path the system reports
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class Handle {
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle() {
        if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE Get() const { return m_handle; }
    bool Valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    // Closes now; false (with the error kept) if the last writes could not be completed.
    bool Close() {
        const bool closed = CloseHandle(m_handle) != FALSE;
        m_handle = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE m_handle;
};

bool ReadIdentity(HANDLE file, const ClipCopyApi& api, FileIdentity* identity) {
    *identity = FileIdentity();
    FileIdInfo wide;
    if (api.infoEx(file, kFileIdInfo, &wide, sizeof wide)) {
        identity->wide = true;
        identity->wideVolume = wide.volumeSerialNumber;
        memcpy(identity->wideId, wide.fileId, sizeof wide.fileId);
    }
    BY_HANDLE_FILE_INFORMATION narrow;
    if (api.info(file, &narrow)) {
        identity->narrow = true;
        identity->volume = narrow.dwVolumeSerialNumber;
        identity->indexHigh = narrow.nFileIndexHigh;
        identity->indexLow = narrow.nFileIndexLow;
    }
    return identity->wide || identity->narrow;
}

enum class Identity { Same, Other, Unknown };

// Two identities name the same file when volume and file id agree, whatever the paths were:
// a hard link, a short name, another case, "/" or ".." all reach the same file. The 128-bit
// form decides where both have it.
Identity Compare(const FileIdentity& a, const FileIdentity& b) {
    if (a.wide && b.wide)
        return a.wideVolume == b.wideVolume && memcmp(a.wideId, b.wideId, sizeof a.wideId) == 0 ? Identity::Same
                                                                                              : Identity::Other;
    if (a.narrow && b.narrow)
        return a.volume == b.volume && a.indexHigh == b.indexHigh && a.indexLow == b.indexLow ? Identity::Same
                                                                                            : Identity::Other;
    return Identity::Unknown;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

// False when the file's own name is not the one target asked for: Wine cuts a name longer than
// a Linux file system holds without a word, and even drops its ".mp3".
bool HoldsName(HANDLE file, const std::wstring& target, const ClipCopyApi& api) {
    std::vector<DWORD> buffer(1 + kLongestNameChars);
    if (!api.infoEx(file, FileNameInfo, buffer.data(), static_cast<DWORD>(buffer.size() * sizeof(DWORD))))
        return true;  // nothing to tell: the name is taken as asked
    const auto* info = reinterpret_cast<const FILE_NAME_INFO*>(buffer.data());
    const std::wstring path(info->FileName, info->FileNameLength / sizeof(WCHAR));
    return SamePath(FileNameOf(path), FileNameOf(target));
}

// Errors with which a system may refuse a name that Windows would take: a name too long for
// it, or (Wine, past 255 bytes) one it cannot find the place for.
bool RefusesName(DWORD error) {
    return error == ERROR_FILENAME_EXCED_RANGE || error == ERROR_INVALID_NAME || error == ERROR_FILE_NOT_FOUND;
}

bool CopyBlocks(HANDLE from, HANDLE to, const ClipCopyApi& api) {
    std::vector<char> block(kBlockBytes);
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(from, block.data(), kBlockBytes, &read, nullptr)) return false;
        if (read == 0) return true;
        DWORD written = 0;
        if (!api.write(to, block.data(), read, &written, nullptr)) return false;
        if (written != read) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
    }
}

// Writes the whole source into the target, which is ours: made just now or the earlier copy.
// Flushed before it counts as copied: once the episode is published, the recording it came
// from is deleted and this copy is all there is.
CopyOutcome Fill(HANDLE from, Handle& to, const std::wstring& target, const ClipCopyApi& api) {
    if (SetEndOfFile(to.Get()) && CopyBlocks(from, to.Get(), api) && api.flush(to.Get()) && to.Close())
        return CopyOutcome::Copied;
    const DWORD error = GetLastError();
    if (to.Valid()) to.Close();
    DeleteFileW(target.c_str());
    SetLastError(error);
    return CopyOutcome::Failed;
}

CopyOutcome CopyFromHandle(HANDLE from, const FileIdentity& source, const std::wstring& target,
                           const LocalCopy& earlier, LocalCopy* made, const ClipCopyApi& api) {
    // What is there is asked about without any access to its data, so that no other
    // program's sharing (a player holding the clip) can stand in the way, and nothing of a
    // file that is not ours is opened for writing.
    Handle there(CreateFileW(target.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    if (there.Valid()) {
        FileIdentity identity;
        if (!ReadIdentity(there.Get(), api, &identity)) return CopyOutcome::Failed;
        const Identity compared = Compare(identity, source);
        if (compared == Identity::Unknown) {
            SetLastError(ERROR_NOT_SUPPORTED);
            return CopyOutcome::Failed;  // left as it was
        }
        if (compared == Identity::Same) {
            *made = {target, identity};  // the clip is already where its copy belongs
            return CopyOutcome::AlreadyThere;
        }
        if (earlier.path.empty() || !SamePath(target, earlier.path) ||
            Compare(identity, earlier.identity) != Identity::Same) {
            if (HoldsName(there.Get(), target, api)) return CopyOutcome::Taken;
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return CopyOutcome::NameRefused;  // what is there only has the name's start
        }
        there.Close();
        // Readers of the earlier copy (an upload given up on) may still hold it open.
        Handle to(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!to.Valid()) return CopyOutcome::Failed;
        FileIdentity opened;
        if (!ReadIdentity(to.Get(), api, &opened) || Compare(opened, identity) != Identity::Same)
            return CopyOutcome::Taken;  // another file took its place in between
        *made = {target, opened};
        return Fill(from, to, target, api);
    }
    // Anything else in the way (a folder, a path the system cannot reach) fails the copy.
    const DWORD missing = GetLastError();
    if (missing != ERROR_FILE_NOT_FOUND) return RefusesName(missing) ? CopyOutcome::NameRefused : CopyOutcome::Failed;
    Handle to(CreateFileW(target.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!to.Valid()) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_EXISTS) return CopyOutcome::Taken;
        return RefusesName(error) ? CopyOutcome::NameRefused : CopyOutcome::Failed;
    }
    if (!HoldsName(to.Get(), target, api)) {
        FILE_DISPOSITION_INFO remove = {TRUE};
        SetFileInformationByHandle(to.Get(), FileDispositionInfo, &remove, sizeof remove);
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return CopyOutcome::NameRefused;
    }
    *made = {target, FileIdentity()};
    ReadIdentity(to.Get(), api, &made->identity);
    return Fill(from, to, target, api);
}

}  // namespace

const ClipCopyApi& SystemClipCopy() {
    static const ClipCopyApi api = {WriteFile, FlushFileBuffers, GetFileInformationByHandle,
                                    GetFileInformationByHandleEx};
    return api;
}

CopyOutcome CopyClipTo(const std::wstring& source, const std::wstring& target, const LocalCopy& earlier,
                       LocalCopy* made, const ClipCopyApi& api) {
    Handle from(CreateFileW(source.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!from.Valid()) return CopyOutcome::Failed;
    FileIdentity identity;
    if (!ReadIdentity(from.Get(), api, &identity)) return CopyOutcome::Failed;
    return CopyFromHandle(from.Get(), identity, target, earlier, made, api);
}

bool CopyClipIntoFolder(const std::wstring& source, const std::wstring& folder, const std::wstring& date,
                        const std::wstring& fileTitle, const LocalCopy& earlier, LocalCopy* made,
                        const ClipCopyApi& api) {
    *made = {folder + L"\\" + CopyFileName(date, fileTitle, 1, folder.size(), kAnyNameBytes), FileIdentity()};
    Handle from(CreateFileW(source.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!from.Valid()) return false;
    FileIdentity identity;
    if (!ReadIdentity(from.Get(), api, &identity)) return false;
    size_t maxNameBytes = kAnyNameBytes;
    for (unsigned number = 1; number <= kLastCopyNumber; ++number) {
        const std::wstring name = CopyFileName(date, fileTitle, number, folder.size(), maxNameBytes);
        made->path = folder + L"\\" + name;
        switch (CopyFromHandle(from.Get(), identity, made->path, earlier, made, api)) {
        case CopyOutcome::Copied:
        case CopyOutcome::AlreadyThere:
            return true;
        case CopyOutcome::Taken:
            break;
        case CopyOutcome::NameRefused:
            // Cut further only when that makes the name shorter; the names tried so far under
            // the longer form say nothing about the shorter ones, which start again at one.
            if (maxNameBytes == kAnyNameBytes &&
                CopyFileName(date, fileTitle, number, folder.size(), kLongestNameBytes) != name) {
                maxNameBytes = kLongestNameBytes;
                number = 0;
                break;
            }
            return false;
        case CopyOutcome::Failed:
            return false;
        }
    }
    made->path = folder + L"\\" + CopyFileName(date, fileTitle, 1, folder.size(), maxNameBytes);
    SetLastError(ERROR_FILE_EXISTS);
    return false;
}
