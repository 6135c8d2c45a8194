#include "upload_file.h"
#include <curl/curl.h>
#include <algorithm>
#include <cstdio>

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

int UploadFile::Seek(void* userdata, int64_t offset, int origin) {
    return static_cast<UploadFile*>(userdata)->SeekTo(offset, origin) ? CURL_SEEKFUNC_OK : CURL_SEEKFUNC_FAIL;
}

bool UploadFile::SeekTo(int64_t offset, int origin) {
    // A form part is only ever rewound to a position from its start.
    if (origin != SEEK_SET || offset < 0 || static_cast<uint64_t>(offset) > m_size) return false;
    LARGE_INTEGER position{};
    position.QuadPart = offset;
    if (!SetFilePointerEx(m_handle, position, nullptr, FILE_BEGIN)) return false;
    m_sent = static_cast<uint64_t>(offset);
    return true;
}
