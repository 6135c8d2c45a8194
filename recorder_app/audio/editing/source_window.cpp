#include "audio/editing/source_window.h"

SourceWindow::SourceWindow(ByteSource& source) : m_source(source), m_size(source.Size()), m_buffer(kBufferBytes) {}

const uint8_t* SourceWindow::At(uint64_t position, size_t count) {
    if (count > kBufferBytes || position > m_size || count > m_size - position) return nullptr;
    if (position >= m_start && position + count <= m_start + m_length) return m_buffer.data() + (position - m_start);
    // Refilled from the position asked for: the walk goes forward, so what lies behind it is
    // rarely asked for again.
    if (!m_source.Seek(position)) {
        m_failed = true;
        return nullptr;
    }
    size_t filled = 0;
    while (filled < count) {
        const long got = m_source.Read(m_buffer.data() + filled, kBufferBytes - filled);
        if (got <= 0) {
            m_failed = true;
            m_length = 0;
            return nullptr;
        }
        filled += static_cast<size_t>(got);
    }
    m_start = position;
    m_length = filled;
    return m_buffer.data();
}
