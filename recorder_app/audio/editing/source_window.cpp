#include "audio/editing/source_window.h"

#include <algorithm>
#include <cstring>

namespace {

// A look at bytes out of the buffer reads no more than this around them.
constexpr size_t kLookBytes = 64 * 1024;

}  // namespace

SourceWindow::SourceWindow(ByteSource& source) : m_source(source), m_size(source.Size()), m_buffer(kBufferBytes) {}

const uint8_t* SourceWindow::At(uint64_t position, size_t count) {
    if (count > kBufferBytes || position > m_size || count > m_size - position) return nullptr;
    if (position >= m_start && position + count <= End()) return m_buffer.data() + (position - m_start);
    if (!Refill(position, std::max(count, kLookBytes))) return nullptr;
    return m_buffer.data();
}

bool SourceWindow::Advance(uint64_t keep) {
    if (keep < m_start || keep > End()) return Refill(keep, kBufferBytes);
    const size_t kept = static_cast<size_t>(End() - keep);
    if (keep > m_start) std::memmove(m_buffer.data(), m_buffer.data() + (keep - m_start), kept);
    m_start = keep;
    m_length = kept;
    return ReadOn(kBufferBytes - kept);
}

bool SourceWindow::Refill(uint64_t position, size_t count) {
    m_start = position;
    m_length = 0;
    if (!m_source.Seek(position)) {
        m_failed = true;
        return false;
    }
    return ReadOn(count);
}

// Reads up to `count` more bytes after those held, fewer at the end of the clip; the source
// stands where the held bytes end.
bool SourceWindow::ReadOn(size_t count) {
    count = static_cast<size_t>(std::min<uint64_t>(std::min(count, kBufferBytes - m_length), m_size - End()));
    while (count > 0) {
        const long got = m_source.Read(m_buffer.data() + m_length, count);
        if (got <= 0) {
            m_failed = true;
            m_length = 0;
            return false;
        }
        m_length += static_cast<size_t>(got);
        count -= static_cast<size_t>(got);
    }
    return true;
}
