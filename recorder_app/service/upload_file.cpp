#include "upload_file.h"
#include <curl/curl.h>
#include <algorithm>

UploadFile::~UploadFile() {
    if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
}

bool UploadFile::Open(const std::wstring& path) {
    m_handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (m_handle == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(m_handle, &size)) {
        CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
        return false;
    }
    m_size = static_cast<uint64_t>(size.QuadPart);
    return true;
}

size_t UploadFile::Read(char* buffer, size_t size, size_t count, void* userdata) {
    return static_cast<UploadFile*>(userdata)->ReadNext(buffer, size * count);
}

size_t UploadFile::ReadNext(char* buffer, size_t capacity) {
    const uint64_t left = m_size - m_sent;
    if (left == 0) return 0;
    const DWORD wanted = static_cast<DWORD>(std::min<uint64_t>({left, capacity, 1u << 30}));
    DWORD got = 0;
    // The form announced m_size bytes: ending early would leave the server waiting for the
    // rest, so a short read ends the transfer instead.
    if (!ReadFile(m_handle, buffer, wanted, &got, nullptr) || got == 0) {
        m_readFailed = true;
        return CURL_READFUNC_ABORT;
    }
    m_sent += got;
    return got;
}
