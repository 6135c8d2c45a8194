// A clip file read front to back in the caller's own large pieces, with no buffer of its
// own: for a reader that keeps one big buffer (the cut), so that every byte is copied once.
#pragma once
#include "audio/reading/byte_source.h"

#include <windows.h>

class SequentialClipFile : public ByteSource {
public:
    SequentialClipFile() = default;
    SequentialClipFile(const SequentialClipFile&) = delete;
    SequentialClipFile& operator=(const SequentialClipFile&) = delete;
    ~SequentialClipFile() override;

    bool Open(const wchar_t* path);

    long Read(uint8_t* dest, size_t count) override;
    bool Seek(uint64_t position) override;
    uint64_t Position() const override { return m_position; }
    uint64_t Size() const override { return m_size; }

private:
    HANDLE m_file = INVALID_HANDLE_VALUE;
    uint64_t m_size = 0;
    uint64_t m_position = 0;
};
