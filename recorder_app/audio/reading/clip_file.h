// A clip file opened for shared, random-access reading, with a read buffer in user space so
// that the reader's many small reads (4-byte windows, single bytes while searching, one
// body per frame) cost a system call only once per buffer.
#pragma once
#include "audio/reading/byte_source.h"

#include <windows.h>

#include <memory>

class ClipFile : public ByteSource {
public:
    static constexpr DWORD kBufferBytes = 64 * 1024;

    ClipFile() = default;
    ClipFile(const ClipFile&) = delete;
    ClipFile& operator=(const ClipFile&) = delete;
    ~ClipFile() override;

    bool Open(const wchar_t* path);

    long Read(uint8_t* dest, size_t count) override;
    bool Seek(uint64_t position) override;
    uint64_t Position() const override { return m_bufferStart + m_bufferPos; }
    uint64_t Size() const override { return m_size; }

private:
    bool Fill();

    HANDLE m_file = INVALID_HANDLE_VALUE;
    uint64_t m_size = 0;
    std::unique_ptr<uint8_t[]> m_buffer;
    uint64_t m_bufferStart = 0;  // file position of m_buffer[0]
    DWORD m_bufferLength = 0;    // valid bytes in the buffer
    DWORD m_bufferPos = 0;       // next byte to hand out
};
