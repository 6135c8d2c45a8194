#include "audio/editing/frame_map.h"

#include "audio/reading/info_frame.h"

#include <cstring>

namespace {

constexpr size_t kHeaderBytes = 4;
constexpr uint32_t kId3v2HeaderBytes = 10;
constexpr uint32_t kId3v1Bytes = 128;
constexpr uint32_t kApeHeaderBytes = 32;
constexpr uint32_t kApeHasHeader = 1u << 31;
constexpr uint32_t kApeIsHeader = 1u << 29;

uint32_t LittleEndian32(const uint8_t* b) {
    return (uint32_t(b[3]) << 24) | (uint32_t(b[2]) << 16) | (uint32_t(b[1]) << 8) | b[0];
}

// A step from `pos` looks at most this far on: a frame, the header after it and a tag there.
constexpr uint32_t kStepBytes = 4 + kMaxFrameBody + 4 + kApeHeaderBytes;

}  // namespace

int FrameScan::Begin() {
    if (m_source.Size() > UINT32_MAX) return kMapTooLarge;
    m_map = FrameMap();
    m_map.fileSize = static_cast<uint32_t>(m_source.Size());
    m_map.tailStart = TailStart();
    if (m_source.Failed()) return kMapReadFailed;
    m_done = m_pos >= m_map.tailStart;
    return kMapDone;
}

int FrameScan::Map() {
    const uint64_t held = m_source.End();
    const bool toTheEnd = held >= m_map.fileSize;
    while (m_pos < m_map.tailStart && (toTheEnd || m_pos + uint64_t(kStepBytes) <= held)) {
        const uint32_t pos = m_pos;
        uint32_t length = TagAt(pos);
        const bool tag = length != 0;
        if (!tag) length = FrameAt(pos, m_confirm);
        if (length == 0) {
            if (!m_inDamage) m_damageStart = pos, m_inDamage = true;
            ++m_pos;
            continue;
        }
        // What lies before the first frame is the clip's front matter, kept as it is.
        if (m_inDamage && !m_map.offsets.empty()) AddGap(m_damageStart, pos, true);
        m_inDamage = false;
        if (tag) {
            if (!m_map.offsets.empty()) AddGap(pos, pos + length, false);
            m_confirm = true;
        } else {
            const bool first = m_map.offsets.empty();
            if (first) Latch(pos);
            m_map.offsets.push_back(pos);
            m_map.sizes.push_back(static_cast<uint16_t>(length));
            m_confirm = false;
            if (first) {
                if (m_map.format.layer != 3) return kMapNotLayer3;
                if (!LookForInfoFrame()) return kMapReadFailed;
            }
        }
        m_pos += length;
    }
    if (m_source.Failed()) return kMapReadFailed;
    m_done = m_pos >= m_map.tailStart;
    return kMapDone;
}

int FrameScan::Finish() {
    if (m_source.Failed()) return kMapReadFailed;
    if (m_map.offsets.empty()) return kMapNoFrames;
    if (m_inDamage) AddGap(m_damageStart, m_map.tailStart, true);
    m_inDamage = false;
    return kMapDone;
}

// An ID3v1 tag and an APE tag (which ends with a footer) at the end of the clip.
uint32_t FrameScan::TailStart() {
    uint32_t end = m_map.fileSize;
    if (end >= kId3v1Bytes) {
        const uint8_t* b = m_source.At(end - kId3v1Bytes, 3);
        if (b && std::memcmp(b, "TAG", 3) == 0) end -= kId3v1Bytes;
    }
    if (end >= kApeHeaderBytes) {
        const uint8_t* b = m_source.At(end - kApeHeaderBytes, kApeHeaderBytes);
        if (b && std::memcmp(b, "APETAGEX", 8) == 0 && !(LittleEndian32(b + 20) & kApeIsHeader)) {
            const uint64_t size = LittleEndian32(b + 12) + ((LittleEndian32(b + 20) & kApeHasHeader) ? kApeHeaderBytes : 0);
            if (size <= end) end -= static_cast<uint32_t>(size);
        }
    }
    return end;
}

// The length of the tag that starts at `pos`, or 0.
uint32_t FrameScan::TagAt(uint32_t pos) {
    const uint8_t* b = m_source.At(pos, kApeHeaderBytes);
    if (!b) b = m_source.At(pos, kId3v2HeaderBytes);
    if (!b) return 0;
    uint64_t end = 0;
    if (std::memcmp(b, "ID3", 3) == 0 && b[3] >= 2 && b[3] <= 4 && !((b[6] | b[7] | b[8] | b[9]) & 0x80)) {
        const uint32_t size = (uint32_t(b[6]) << 21) | (uint32_t(b[7]) << 14) | (uint32_t(b[8]) << 7) | b[9];
        const bool footer = b[3] == 4 && (b[5] & 0x10);
        end = uint64_t(pos) + kId3v2HeaderBytes + size + (footer ? kId3v2HeaderBytes : 0);
    } else if (std::memcmp(b, "TAG", 3) == 0) {
        end = uint64_t(pos) + kId3v1Bytes;
    } else if (pos + kApeHeaderBytes <= m_map.tailStart && std::memcmp(b, "APETAGEX", 8) == 0 &&
               (LittleEndian32(b + 20) & kApeIsHeader)) {
        end = uint64_t(pos) + kApeHeaderBytes + LittleEndian32(b + 12);
    }
    return end > pos && end <= m_map.tailStart ? static_cast<uint32_t>(end - pos) : 0;
}

bool FrameScan::HeaderFits(uint32_t window, FrameHeader& header) const {
    if (!IsValidHeader(window)) return false;
    if (!m_map.offsets.empty() && (window & kStreamFormatBits) != (m_map.formatWindow & kStreamFormatBits))
        return false;
    return ParseHeader(window, true, header);
}

// The length of the whole frame of the stream that starts at `pos`, or 0. With `confirm`,
// a frame, a tag or the end of the audio must follow it: sync patterns occur by chance.
uint32_t FrameScan::FrameAt(uint32_t pos, bool confirm) {
    const uint8_t* b = m_source.At(pos, kHeaderBytes);
    FrameHeader header;
    if (!b || !HeaderFits(HeaderOf(b), header)) return 0;
    const uint32_t length = static_cast<uint32_t>(kHeaderBytes + header.bodyLength);
    if (uint64_t(pos) + length > m_map.tailStart) return 0;
    const uint32_t next = pos + length;
    if (!confirm || next == m_map.tailStart) return length;
    const uint8_t* n = m_source.At(next, kHeaderBytes);
    if (!n) return 0;
    const uint32_t window = HeaderOf(n);
    FrameHeader following;
    const bool sameStream = IsValidHeader(window) && (window & kStreamFormatBits) == (HeaderOf(b) & kStreamFormatBits) &&
                            ParseHeader(window, true, following);
    return sameStream || TagAt(next) ? length : 0;
}

void FrameScan::Latch(uint32_t pos) {
    m_map.formatWindow = HeaderOf(m_source.At(pos, kHeaderBytes));
    ParseHeader(m_map.formatWindow, true, m_map.format);
}

void FrameScan::AddGap(uint32_t start, uint32_t end, bool damaged) {
    FrameGap gap;
    gap.beforeFrame = m_map.Frames();
    gap.start = start;
    gap.end = end;
    gap.damaged = damaged;
    m_map.gaps.push_back(gap);
}

bool FrameScan::LookForInfoFrame() {
    const uint8_t* frame = m_source.At(m_map.offsets[0], m_map.sizes[0]);
    if (!frame) return false;
    m_map.infoFrame = LocateInfoFields(frame, m_map.sizes[0], m_map.format).kind != InfoLayout::Kind::kNone;
    return true;
}
