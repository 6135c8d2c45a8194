#include "clip_copy.h"
#include <windows.h>
#include <vector>

namespace {

constexpr DWORD kBlockBytes = 1024 * 1024;

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

enum class Identity { Same, Other, Unknown };

// Two handles name the same file when volume and file index agree, whatever the paths were:
// a hard link, a short name, another case, "/" or ".." all reach the same file.
Identity CompareFiles(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION x, y;
    if (!GetFileInformationByHandle(a, &x) || !GetFileInformationByHandle(b, &y)) return Identity::Unknown;
    const bool same = x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
                      x.nFileIndexLow == y.nFileIndexLow;
    return same ? Identity::Same : Identity::Other;
}

// Whether path names the open file, asked without any access to its data, so that no
// other program's sharing can stand in the way.
bool NamesOpenFile(const std::wstring& path, HANDLE file) {
    Handle other(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, 0, nullptr));
    return other.Valid() && CompareFiles(other.Get(), file) == Identity::Same;
}

bool CopyBlocks(HANDLE from, HANDLE to, const CopyWriteApi& api) {
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

}  // namespace

const CopyWriteApi& SystemCopyWrite() {
    static const CopyWriteApi api = {WriteFile, FlushFileBuffers};
    return api;
}

bool CopyWholeFile(const std::wstring& source, const std::wstring& target, const CopyWriteApi& api) {
    Handle from(CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!from.Valid()) return false;
    // Opened without truncation: the target may be the source itself under another name (a
    // published copy opened and published again), which must be recognised before a byte of
    // it is lost. Readers of an earlier copy (an upload given up on) may still hold it open.
    Handle to(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!to.Valid()) {
        // The source held open elsewhere without write sharing: it is still already in place.
        const DWORD error = GetLastError();
        if (NamesOpenFile(target, from.Get())) return true;
        SetLastError(error);
        return false;
    }
    // A file created just now cannot be the source; one that was there must be shown not to be.
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        const Identity identity = CompareFiles(from.Get(), to.Get());
        if (identity == Identity::Same) return true;  // the clip is already where its copy belongs
        if (identity == Identity::Unknown) return false;  // left as it was
    }
    // Flushed before it counts as copied: once the episode is published, the recording it
    // came from is deleted and this copy is all there is.
    if (SetEndOfFile(to.Get()) && CopyBlocks(from.Get(), to.Get(), api) && api.flush(to.Get()) && to.Close())
        return true;
    const DWORD error = GetLastError();
    if (to.Valid()) to.Close();
    DeleteFileW(target.c_str());
    SetLastError(error);
    return false;
}
