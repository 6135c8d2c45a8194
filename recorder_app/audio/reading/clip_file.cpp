// Buffered reading of a clip file through the Win32 file functions.
#include "audio/reading/clip_file.h"

#include <algorithm>
#include <cstring>

ClipFile::~ClipFile() {
    if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
}

bool ClipFile::Open(const wchar_t* path) {
    // Others may read the clip while it is open, but not change or delete it.
    m_file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr);
    if (m_file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(m_file, &size)) return false;
    m_size = static_cast<uint64_t>(size.QuadPart);
    m_buffer.reset(new uint8_t[kBufferBytes]);
    return Seek(0);
}

bool ClipFile::Fill() {
    m_bufferStart += m_bufferLength;
    m_bufferLength = 0;
    m_bufferPos = 0;
    DWORD got = 0;
    if (!ReadFile(m_file, m_buffer.get(), kBufferBytes, &got, nullptr)) return false;
    m_bufferLength = got;
    return true;
}

long ClipFile::Read(uint8_t* dest, size_t count) {
    size_t done = 0;
    while (done < count) {
        if (m_bufferPos == m_bufferLength) {
            if (!Fill()) return -1;
            if (m_bufferLength == 0) break;  // end of file
        }
        const size_t n = std::min<size_t>(count - done, m_bufferLength - m_bufferPos);
        std::memcpy(dest + done, m_buffer.get() + m_bufferPos, n);
        m_bufferPos += static_cast<DWORD>(n);
        done += n;
    }
    return static_cast<long>(done);
}

bool ClipFile::Seek(uint64_t position) {
    if (position >= m_bufferStart && position <= m_bufferStart + m_bufferLength) {
        m_bufferPos = static_cast<DWORD>(position - m_bufferStart);
        return true;
    }
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(position);
    if (!SetFilePointerEx(m_file, to, nullptr, FILE_BEGIN)) return false;
    m_bufferStart = position;
    m_bufferLength = 0;
    m_bufferPos = 0;
    return true;
}
