#include "recording_frames.h"
#include <algorithm>
#include "audio/reading/frame_header.h"

namespace {

// The header bits every frame of a recording shares: sync, MPEG-1, Layer III, CRC present
// (the protection bit clear), 96 kbit/s, 44100 Hz, single channel. Padding, the private bit,
// the mode extension and the flags vary.
constexpr uint32_t kRecordingBits = 0xFFFA70C0u;
constexpr uint32_t kRecordingMask = 0xFFFFFCC0u;

}  // namespace

void RecordingFrames::Feed(const uint8_t* data, size_t size) {
    size_t at = 0;
    while (at < size && !m_done) {
        if (m_bodyLeft > 0) {
            const size_t step = static_cast<size_t>(std::min<uint64_t>(m_bodyLeft, size - at));
            at += step;
            m_bodyLeft -= step;
            continue;
        }
        m_head[m_headBytes++] = data[at++];
        if (m_headBytes == sizeof m_head) OnHeader();
    }
}

void RecordingFrames::OnHeader() {
    m_headBytes = 0;
    const uint32_t window = HeaderOf(m_head);
    if (window == 0) {
        m_done = true;  // zeros: the rest is the cut's business, which keeps damage whole
        return;
    }
    FrameHeader header;
    if ((window & kRecordingMask) != kRecordingBits || !IsValidHeader(window) || !ParseHeader(window, true, header)) {
        m_foreign = m_done = true;
        return;
    }
    m_bodyLeft = static_cast<uint64_t>(header.bodyLength);
}

bool RecordingFrames::Foreign() const {
    if (m_foreign) return true;
    // A header cut short by the end of the file must have begun as a recording's does, or
    // be zeros.
    if (std::all_of(m_head, m_head + m_headBytes, [](uint8_t b) { return b == 0; })) return false;
    for (size_t i = 0; i < m_headBytes; ++i) {
        const unsigned shift = 24 - 8 * static_cast<unsigned>(i);
        if ((m_head[i] & (kRecordingMask >> shift & 0xFF)) != (kRecordingBits >> shift & 0xFF)) return true;
    }
    return false;
}
