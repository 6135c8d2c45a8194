// The one read buffer of the cut: the clip is read into it in large pieces, front to back,
// and the frames are mapped and copied out of it where they lie. A look back at bytes it no
// longer holds (a seam's frames after a long removed stretch) reads them again.
#pragma once
#include "audio/reading/byte_source.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class SourceWindow {
public:
    static constexpr size_t kBufferBytes = 1024 * 1024;

    explicit SourceWindow(ByteSource& source);

    // The bytes [position, position + count), count at most kBufferBytes; null when the clip
    // ends before them or a read failed (Failed() tells which).
    const uint8_t* At(uint64_t position, size_t count);
    // Moves on through the clip: keeps what the buffer holds from `keep` on and fills the rest
    // of it with what follows. False when a read failed.
    bool Advance(uint64_t keep);
    uint64_t Start() const { return m_start; }
    uint64_t End() const { return m_start + m_length; }
    bool Failed() const { return m_failed; }
    uint64_t Size() const { return m_size; }

private:
    bool Refill(uint64_t position, size_t count);
    bool ReadOn(size_t count);

    ByteSource& m_source;
    uint64_t m_size;
    std::vector<uint8_t> m_buffer;
    uint64_t m_start = 0;  // clip position of m_buffer[0]
    size_t m_length = 0;   // valid bytes in the buffer
    bool m_failed = false;
};
