// Unbuffered sequential reading of a clip file through the Win32 file functions.
#include "audio/reading/sequential_clip_file.h"

SequentialClipFile::~SequentialClipFile() {
    if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
}

bool SequentialClipFile::Open(const wchar_t* path) {
    // Others may read the clip while it is open, but not change or delete it.
    m_file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (m_file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(m_file, &size)) return false;
    m_size = static_cast<uint64_t>(size.QuadPart);
    return true;
}

long SequentialClipFile::Read(uint8_t* dest, size_t count) {
    // One call reads at most 1 GiB, which a long holds on this 32-bit program.
    const DWORD ask = static_cast<DWORD>(count > (1u << 30) ? (1u << 30) : count);
    DWORD got = 0;
    if (!ReadFile(m_file, dest, ask, &got, nullptr)) return -1;
    m_position += got;
    return static_cast<long>(got);
}

bool SequentialClipFile::Seek(uint64_t position) {
    LARGE_INTEGER to;
    to.QuadPart = static_cast<LONGLONG>(position);
    if (!SetFilePointerEx(m_file, to, nullptr, FILE_BEGIN)) return false;
    m_position = position;
    return true;
}
