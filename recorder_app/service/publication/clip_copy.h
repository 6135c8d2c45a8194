// The local copy of a clip that is about to be published: all of it or nothing, and never in
// place of another episode's copy.
#pragma once
#include <windows.h>
#include <string>

// The calls with which the copy tells files apart, writes its target and hands it to the
// disk, in a table so that tests can make a disk fill up part-way, refuse the final write-back
// or give files identities of their choosing.
struct ClipCopyApi {
    BOOL(WINAPI* write)(HANDLE file, LPCVOID data, DWORD bytes, LPDWORD written, LPOVERLAPPED overlapped);
    BOOL(WINAPI* flush)(HANDLE file);
    BOOL(WINAPI* info)(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information);
    BOOL(WINAPI* infoEx)(HANDLE file, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID information, DWORD bytes);
};

// WriteFile, FlushFileBuffers, GetFileInformationByHandle and GetFileInformationByHandleEx.
const ClipCopyApi& SystemClipCopy();

// Which file a handle reaches, whatever the path was. The 128-bit identity where the file
// system gives it (the 64-bit index is not unique on every file system), and the 64-bit
// volume serial and index, which older systems give alone.
struct FileIdentity {
    bool wide = false;
    unsigned long long wideVolume = 0;
    unsigned char wideId[16] = {};
    bool narrow = false;
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
};

// A copy made for a publication: where it is and which file it is. An empty path: none.
struct LocalCopy {
    std::wstring path;
    FileIdentity identity;
};

enum class CopyOutcome {
    Copied,        // target made, or the earlier copy replaced, to the byte
    AlreadyThere,  // target is the source itself under some name: nothing written
    Taken,         // target is another file, left as it was
    NameRefused,   // the system cannot hold target's name whole: nothing is left under it
    Failed,        // the system's error code kept for GetLastError
};

// Copies source to target when the name is free, or when it holds earlier (the copy an earlier
// attempt of the same publication made, and still that file). A target that is the source
// itself under any name (a hard link, another spelling of its path) is left whole. The copy is
// written in 1 MB blocks (as fast as the system's copy under Wine and beside cp; larger blocks
// were slower) and flushed to the disk. A copy that fails, a full disk among them, leaves no
// partial target. made gets the target's path and identity when it is Copied or AlreadyThere.
CopyOutcome CopyClipTo(const std::wstring& source, const std::wstring& target, const LocalCopy& earlier,
                       LocalCopy* made, const ClipCopyApi& api = SystemClipCopy());

// Copies source into folder as "DATE-TITLE.mp3" (CopyFileName), or under the first of
// "DATE-TITLE (2).mp3", "(3)", ... whose name is not another file's, so that a second episode
// of the same day and title never replaces the first one's copy. The title is cut to what
// Windows allows, and to 255 bytes of UTF-8 only when the system refuses the longer name (Wine
// on a Linux file system). True when made (path and identity) holds the clip; on failure
// made's path is the name that failed.
bool CopyClipIntoFolder(const std::wstring& source, const std::wstring& folder, const std::wstring& date,
                        const std::wstring& fileTitle, const LocalCopy& earlier, LocalCopy* made,
                        const ClipCopyApi& api = SystemClipCopy());
