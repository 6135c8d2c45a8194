#include "unpack.h"
#include <windows.h>
#include <minizip/unzip.h>
#include <set>
#include <utility>
#include <vector>
#include "archive_reader.h"
#include "file_closer.h"
#include "runtime/log_file.h"
#include "service/request/log_escape.h"
#include "service/request/text_encoding.h"
#include "zip_entry_meta.h"
#include "zip_names.h"

namespace {

// Each piece is one write to the file: a larger piece means fewer calls to the system, which
// under Wine cost more than the copying.
constexpr size_t kPieceBytes = 65536;
constexpr size_t kLongestName = 259;

LONGLONG AsInteger(const FILETIME& time) {
    return static_cast<LONGLONG>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

std::wstring FullPath(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return std::wstring();
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
    if (length == 0 || length >= needed) return std::wstring();
    full.resize(length);
    return full;
}

bool SameTextIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// The last word on where a name leads: the path as Windows itself resolves it must lie
// strictly inside the base folder.
bool ResolvesInside(const std::wstring& fullBase, const std::wstring& target) {
    const std::wstring full = FullPath(target);
    if (full.size() <= fullBase.size() + 1) return false;
    return SameTextIgnoringCase(full.substr(0, fullBase.size()), fullBase) && full[fullBase.size()] == L'\\';
}

std::wstring Folded(const std::wstring& text) {
    std::wstring folded = text;
    if (!folded.empty()) CharUpperBuffW(&folded[0], static_cast<DWORD>(folded.size()));
    return folded;
}

// Makes the folders entries need below base, each once per archive: most entries share their
// folders, and under Wine every attempt is a request to its server.
class FolderMaker {
public:
    FolderMaker(const std::wstring& base, std::vector<std::wstring>* made) : m_base(base), m_made(made) {}

    // Every folder along relative (its components joined by "\").
    void Folders(const std::wstring& relative) {
        for (size_t pos = relative.find(L'\\'); pos != std::wstring::npos; pos = relative.find(L'\\', pos + 1))
            Folder(relative.substr(0, pos));
        Folder(relative);
    }

    void ParentFolders(const std::wstring& relative) {
        const size_t last = relative.rfind(L'\\');
        if (last != std::wstring::npos) Folders(relative.substr(0, last));
    }

private:
    void Folder(const std::wstring& relative) {
        // Only a folder that is there now counts as made: one that could not be made is
        // tried again for the next entry in it, which then fails on its own.
        std::wstring folded = Folded(relative);
        if (m_present.count(folded) != 0) return;
        const std::wstring path = m_base + L"\\" + relative;
        if (CreateDirectoryW(path.c_str(), nullptr)) m_made->push_back(relative);
        else if (GetLastError() != ERROR_ALREADY_EXISTS) return;
        m_present.insert(std::move(folded));
    }

    std::wstring m_base;
    std::vector<std::wstring>* m_made;  // the folders that were not there before
    std::set<std::wstring> m_present;   // folded: Windows names ignore case
};

struct EntryTimes {  // as file times (100 ns units since 1601)
    LONGLONG created, accessed, modified;
};

EntryTimes TimesOf(const unz_file_info64& info, const std::vector<uint8_t>& localExtra) {
    FILETIME local{}, utc{};
    DosDateTimeToFileTime(HIWORD(info.dosDate), LOWORD(info.dosDate), &local);
    LocalFileTimeToFileTime(&local, &utc);
    const LONGLONG dosTime = AsInteger(utc);
    EntryTimes times{dosTime, dosTime, dosTime};
    ExtendedTimes extended;
    if (FindExtendedTimes(localExtra.data(), localExtra.size(), &extended)) {
        if (extended.hasModified) times.modified = static_cast<LONGLONG>(UnixToFileTime(extended.modified));
        if (extended.hasAccessed) times.accessed = static_cast<LONGLONG>(UnixToFileTime(extended.accessed));
        if (extended.hasCreated) times.created = static_cast<LONGLONG>(UnixToFileTime(extended.created));
    }
    return times;
}

// Writes the open entry's data to target and closes the entry. True when all of it was read
// and written and it matches the entry's size and checksum; otherwise the file is deleted, so
// that nothing half-written or damaged is left for the updater.
// Made plain, and given the entry's attributes only once it is whole: a file that has to go
// again must not be read-only.
// *replaced tells whether a file of that name was there already.
HANDLE CreateTarget(const std::wstring& target, bool* replaced) {
    HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
        // A read-only, hidden or system file already there refuses to be replaced until it
        // is made plain.
        SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        file = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    *replaced = file != INVALID_HANDLE_VALUE && GetLastError() == ERROR_ALREADY_EXISTS;
    return file;
}

bool WriteEntryFile(unzFile archive, const unz_file_info64& info, const std::wstring& target,
                    std::vector<char>* piece, FileCloser* closer, bool* replaced) {
    const uint32_t attributes = EntryAttributes(info.version, info.external_fa) & ~kAttrFolder;
    HANDLE file = CreateTarget(target, replaced);
    if (file == INVALID_HANDLE_VALUE) {
        // An archive may hold a name twice, and the first file of that name may not be
        // closed yet.
        closer->Drain();
        file = CreateTarget(target, replaced);
    }
    if (file == INVALID_HANDLE_VALUE) {
        unzCloseCurrentFile(archive);
        return false;
    }
    // Without a buffer minizip tells the field's size.
    const int extraBytes = unzGetLocalExtrafield(archive, nullptr, 0);
    std::vector<uint8_t> localExtra(extraBytes > 0 ? static_cast<size_t>(extraBytes) : 0);
    if (!localExtra.empty()) {
        const int extraSize =
            unzGetLocalExtrafield(archive, localExtra.data(), static_cast<unsigned>(localExtra.size()));
        localExtra.resize(extraSize > 0 ? static_cast<size_t>(extraSize) : 0);
    }

    uint64_t total = 0;
    bool complete = true;
    for (;;) {
        const int read = unzReadCurrentFile(archive, piece->data(), static_cast<unsigned>(piece->size()));
        if (read == 0) break;
        DWORD written = 0;
        if (read < 0 || !WriteFile(file, piece->data(), static_cast<DWORD>(read), &written, nullptr) ||
            written != static_cast<DWORD>(read)) {
            complete = false;
            break;
        }
        total += static_cast<uint64_t>(read);
    }
    // minizip compares the checksum when the entry is closed, but only after all of its data
    // was read: a stream that ends early is caught by its size.
    if (unzCloseCurrentFile(archive) != UNZ_OK || total != info.uncompressed_size) complete = false;
    if (complete) {
        // Times and attributes in one call on the handle still open: by name, the attributes
        // would open the file a second time, and under Wine each open is a round of requests
        // to its server. The handle's write access covers them, read-only included.
        const EntryTimes times = TimesOf(info, localExtra);
        FILE_BASIC_INFO basic{};
        basic.CreationTime.QuadPart = times.created;
        basic.LastAccessTime.QuadPart = times.accessed;
        basic.LastWriteTime.QuadPart = times.modified;
        basic.FileAttributes = attributes;  // 0 leaves the file as it was made, plain
        SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic);
        closer->Close(file);
        return true;
    }
    CloseHandle(file);
    DeleteFileW(target.c_str());
    return false;
}

enum class EntryOutcome { Written, Refused, Failed };

// Where the entries go, and what writing them reuses from one entry to the next.
struct Destination {
    Destination(const std::wstring& base, const std::wstring& fullBase, UnpackSummary* summary)
        : base(base), fullBase(fullBase), folders(base, &summary->madeFolders), piece(kPieceBytes) {}
    std::wstring base, fullBase;
    FolderMaker folders;
    std::vector<char> piece;  // an entry's data passes through it on its way to the file
    FileCloser closer;        // every whole file is closed by the time the destination goes
};

// A written file's path relative to the base folder goes to *file; *replaced tells whether a
// file of that name was there before.
EntryOutcome UnpackCurrentEntry(unzFile archive, Destination* to, std::wstring* file, bool* replaced) {
    unz_file_info64 info{};
    char rawName[kLongestName + 1] = "";
    if (unzGetCurrentFileInfo64(archive, &info, rawName, sizeof rawName, nullptr, 0, nullptr, 0) != UNZ_OK)
        return EntryOutcome::Failed;
    rawName[kLongestName] = '\0';
    const std::string name = rawName;
    // minizip hands back only what fits, without a word: a longer name, cut, would put the
    // file under a name the update never meant.
    if (info.size_filename > kLongestName) {
        g_log.Print(L"!!! Update archive entry refused (name too long): %s...", EscapeForLog(FromUtf8(name)).c_str());
        return EntryOutcome::Refused;
    }
    const std::wstring wideName = FromUtf8(CleanEntryName(name));
    std::wstring relative;
    const char* reason = nullptr;
    const bool inside = EntryPathInsideBase(wideName, &relative, &reason);
    if (!inside || (!relative.empty() && !ResolvesInside(to->fullBase, to->base + L"\\" + relative))) {
        g_log.Print(L"!!! Update archive entry refused (%s): %s",
                    FromAnsi(reason != nullptr ? reason : "outside the folder").c_str(),
                    EscapeForLog(FromUtf8(name)).c_str());
        return EntryOutcome::Refused;
    }
    const bool folder = (!name.empty() && (name.back() == '/' || name.back() == '\\')) ||
                        ((EntryAttributes(info.version, info.external_fa) & kAttrFolder) != 0 &&
                         info.uncompressed_size == 0);
    if (relative.empty()) return EntryOutcome::Written;  // the base folder itself
    if (folder) {
        to->folders.Folders(relative);
        return EntryOutcome::Written;
    }
    to->folders.ParentFolders(relative);
    if (unzOpenCurrentFile(archive) != UNZ_OK ||
        !WriteEntryFile(archive, info, to->base + L"\\" + relative, &to->piece, &to->closer, replaced)) {
        g_log.Print(L"!!! Update archive entry damaged: %s", EscapeForLog(FromUtf8(name)).c_str());
        return EntryOutcome::Failed;
    }
    *file = relative;
    return EntryOutcome::Written;
}

}  // namespace

UnpackSummary UnpackArchive(const std::wstring& archivePath, const std::wstring& baseFolder,
                            const std::atomic<bool>* cancelled) {
    UnpackSummary summary;
    std::wstring base = baseFolder;
    while (!base.empty() && (base.back() == L'\\' || base.back() == L'/')) base.pop_back();
    std::wstring fullBase = FullPath(base);
    while (!fullBase.empty() && fullBase.back() == L'\\') fullBase.pop_back();
    if (fullBase.empty()) return summary;

    zlib_filefunc64_def files;
    FillBufferedArchiveReader(&files);
    unzFile archive = unzOpen2_64(archivePath.c_str(), &files);
    if (archive == nullptr) return summary;
    unz_global_info64 global{};
    if (unzGetGlobalInfo64(archive, &global) == UNZ_OK) {
        summary.entries = static_cast<int>(global.number_entry);
        std::set<std::wstring> seen;  // Windows names ignore case
        Destination to(base, fullBase, &summary);
        for (ZPOS64_T index = 0; index < global.number_entry; ++index) {
            if (cancelled != nullptr && cancelled->load()) {
                summary.cancelled = true;
                break;
            }
            if ((index == 0 ? unzGoToFirstFile(archive) : unzGoToNextFile(archive)) != UNZ_OK) break;
            std::wstring file;
            bool replaced = false;
            switch (UnpackCurrentEntry(archive, &to, &file, &replaced)) {
                case EntryOutcome::Written:
                    ++summary.written;
                    // A name held twice is found the second time: it counts as made if the
                    // first one made it.
                    if (file.empty() || !seen.insert(Folded(file)).second) break;
                    summary.files.push_back(file);
                    if (!replaced) summary.madeFiles.push_back(file);
                    break;
                case EntryOutcome::Refused: ++summary.refused; break;
                case EntryOutcome::Failed: ++summary.failed; break;
            }
        }
    }
    unzClose(archive);
    return summary;
}

void RemoveUnpacked(const std::wstring& baseFolder, const UnpackSummary& summary) {
    std::wstring base = baseFolder;
    while (!base.empty() && (base.back() == L'\\' || base.back() == L'/')) base.pop_back();
    for (const std::wstring& file : summary.madeFiles) {
        const std::wstring path = base + L"\\" + file;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // an entry may have made it read-only
        DeleteFileW(path.c_str());
    }
    // The deepest first: a folder is made before the folders and files inside it.
    for (auto folder = summary.madeFolders.rbegin(); folder != summary.madeFolders.rend(); ++folder) {
        const std::wstring path = base + L"\\" + *folder;
        RemoveDirectoryW(path.c_str());
    }
}
