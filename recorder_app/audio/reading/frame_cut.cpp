#include "audio/reading/frame_cut.h"
#include <algorithm>

namespace {

constexpr size_t kFrameHeaderBytes = 4;
constexpr size_t kTagHeaderBytes = 10;

bool SameStream(const FrameHeader& a, const FrameHeader& b) {
    return a.version == b.version && a.layer == b.layer && a.samplingIndex == b.samplingIndex;
}

}  // namespace

void FrameCut::Feed(const uint8_t* data, size_t size) {
    size_t at = 0;
    while (at < size && !m_done) {
        if (m_phase == Phase::kSkip) {
            const uint64_t left = m_unitEnd - m_fed;
            const size_t step = static_cast<size_t>(std::min<uint64_t>(left, size - at));
            at += step;
            m_fed += step;
            if (m_fed == m_unitEnd) {
                // The whole unit has arrived: the clip may be cut after it.
                m_cut = m_unitEnd;
                m_unitStart = m_unitEnd;
                m_headBytes = 0;
                m_phase = Phase::kHeader;
            }
            continue;
        }
        m_head[m_headBytes++] = data[at++];
        ++m_fed;
        if (m_phase == Phase::kHeader && m_headBytes == kFrameHeaderBytes) OnHeader();
        else if (m_phase == Phase::kTagHeader && m_headBytes == kTagHeaderBytes) OnTagHeader();
    }
}

void FrameCut::OnHeader() {
    // A tag before the first frame is kept whole with the audio after it.
    if (m_unitStart == 0 && m_head[0] == 'I' && m_head[1] == 'D' && m_head[2] == '3') {
        m_phase = Phase::kTagHeader;
        return;
    }
    const uint32_t window = static_cast<uint32_t>(m_head[0]) << 24 | static_cast<uint32_t>(m_head[1]) << 16 |
                            static_cast<uint32_t>(m_head[2]) << 8 | m_head[3];
    FrameHeader header;
    // Anything that is not a frame of the clip's own stream ends the walk: what follows could
    // not be told apart from noise.
    if (!IsValidHeader(window) || !ParseHeader(window, true, header) ||
        (m_haveFormat && !SameStream(header, m_format))) {
        m_done = true;
        m_damaged = m_unitStart < m_limit;
        return;
    }
    if (!m_haveFormat) {
        m_format = header;
        m_haveFormat = true;
    }
    SkipTo(m_unitStart + kFrameHeaderBytes + static_cast<uint64_t>(header.bodyLength));
}

void FrameCut::OnTagHeader() {
    uint64_t size = 0;
    for (size_t i = 6; i < kTagHeaderBytes; ++i) size = size << 7 | (m_head[i] & 0x7F);
    const bool footer = (m_head[5] & 0x10) != 0;
    SkipTo(kTagHeaderBytes + size + (footer ? kTagHeaderBytes : 0));
}

void FrameCut::SkipTo(uint64_t end) {
    if (end > m_limit) {
        m_done = true;  // this unit would cross the cursor
        return;
    }
    m_unitEnd = end;
    m_phase = Phase::kSkip;
    if (m_fed == m_unitEnd) {  // nothing left of the unit beyond its header
        m_cut = m_unitEnd;
        m_unitStart = m_unitEnd;
        m_headBytes = 0;
        m_phase = Phase::kHeader;
    }
}
