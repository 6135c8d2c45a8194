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

bool CopyBlocks(HANDLE from, HANDLE to) {
    std::vector<char> block(kBlockBytes);
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(from, block.data(), kBlockBytes, &read, nullptr)) return false;
        if (read == 0) return true;
        DWORD written = 0;
        if (!WriteFile(to, block.data(), read, &written, nullptr)) return false;
        if (written != read) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
    }
}

}  // namespace

bool CopyWholeFile(const std::wstring& source, const std::wstring& target) {
    Handle from(CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!from.Valid()) return false;
    // Readers of an earlier copy (an upload given up on) may still hold the target open.
    Handle to(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!to.Valid()) return false;
    if (CopyBlocks(from.Get(), to.Get()) && to.Close()) return true;
    const DWORD error = GetLastError();
    if (to.Valid()) to.Close();
    DeleteFileW(target.c_str());
    SetLastError(error);
    return false;
}
