// Buffered, random-access views of a clip's bytes for the cut: the scan walks the clip from
// front to back, and looks a frame ahead or back now and then, without holding the clip.
#pragma once
#include "audio/reading/byte_source.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class SourceWindow {
public:
    static constexpr size_t kBufferBytes = 64 * 1024;

    explicit SourceWindow(ByteSource& source);

    // The bytes [position, position + count), count at most kBufferBytes; null when the clip
    // ends before them or a read failed (Failed() tells which).
    const uint8_t* At(uint64_t position, size_t count);
    bool Failed() const { return m_failed; }
    uint64_t Size() const { return m_size; }

private:
    ByteSource& m_source;
    uint64_t m_size;
    std::vector<uint8_t> m_buffer;
    uint64_t m_start = 0;  // clip position of m_buffer[0]
    size_t m_length = 0;   // valid bytes in the buffer
    bool m_failed = false;
};
