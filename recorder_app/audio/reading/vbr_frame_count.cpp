#include "audio/reading/vbr_frame_count.h"

#include <vector>

#include "audio/reading/frame_header.h"

namespace {

constexpr size_t kProbeBytes = 1 << 15;  // room for several of the longest frames
// The walk's first read holds the lead frames of most streams; a stream found to vary is
// then read in chunks that grow to this.
constexpr size_t kChunkBytes = 1 << 18;
constexpr int kChainFrames = 3;          // frames in a row that make a header believable
constexpr uint32_t kLeadFrames = 64;

// The header at `at` of `bytes` when it is one of the stream's, with its frame's whole length.
bool StreamHeader(const uint8_t* bytes, size_t length, size_t at, uint32_t format, FrameHeader* parsed,
                  size_t* frameBytes) {
    if (at + 4 > length) return false;
    const uint32_t window = HeaderOf(bytes + at);
    if (!IsValidHeader(window) || (window & kStreamFormatBits) != format) return false;
    if (!ParseHeader(window, true, *parsed) || parsed->bodyLength <= 0) return false;
    *frameBytes = 4 + static_cast<size_t>(parsed->bodyLength);
    return true;
}

// Walks the stream header after header, reading it in large chunks.
class FrameWalk {
public:
    FrameWalk(ByteSource& source, uint64_t start, uint32_t format)
        : m_source(source), m_bytes(kProbeBytes), m_next(start), m_format(format) {}
    // The next frame's header, or false at the first bytes that are no frame of the stream.
    bool Next(FrameHeader* parsed) {
        if (m_next + 4 > m_start + m_length) {
            if (m_length != 0 && m_bytes.size() < kChunkBytes) m_bytes.resize(m_bytes.size() * 2);
            if (!m_source.Seek(m_next)) return false;
            const long n = m_source.Read(m_bytes.data(), m_bytes.size());
            if (n < 4) return false;
            m_start = m_next;
            m_length = static_cast<size_t>(n);
        }
        size_t frameBytes = 0;
        if (!StreamHeader(m_bytes.data(), m_length, static_cast<size_t>(m_next - m_start), m_format, parsed,
                          &frameBytes))
            return false;
        m_next += frameBytes;
        return true;
    }

private:
    ByteSource& m_source;
    std::vector<uint8_t> m_bytes;
    uint64_t m_start = 0;
    size_t m_length = 0;
    uint64_t m_next;
    uint32_t m_format;
};

// The bit rate index of the first header at or after `from` that opens a run of the stream's
// frames, or 0 when none shows up within the bytes read there.
int BitrateNear(ByteSource& source, uint64_t from, uint32_t format) {
    std::vector<uint8_t> bytes(kProbeBytes);
    if (!source.Seek(from)) return 0;
    const long n = source.Read(bytes.data(), bytes.size());
    const size_t length = n > 0 ? static_cast<size_t>(n) : 0;
    for (size_t at = 0; at + 4 <= length; ++at) {
        FrameHeader first, parsed;
        size_t frameBytes = 0;
        if (bytes[at] != 0xFF || !StreamHeader(bytes.data(), length, at, format, &first, &frameBytes)) continue;
        size_t next = at + frameBytes;
        int run = 1;
        for (; run < kChainFrames && StreamHeader(bytes.data(), length, next, format, &parsed, &frameBytes); ++run)
            next += frameBytes;
        if (run == kChainFrames) return first.bitrateIndex;
    }
    return 0;
}

}  // namespace

uint32_t CountFramesOfVariableRate(ByteSource& source, uint64_t audioStart, uint32_t firstHeader) {
    const uint32_t format = firstHeader & kStreamFormatBits;
    FrameWalk walk(source, audioStart, format);
    FrameHeader parsed;
    if (!walk.Next(&parsed)) return 0;
    const int firstRate = parsed.bitrateIndex;

    // A variable rate shows within the first frames or, after a lead-in of silence at the
    // lowest rate, farther in.
    uint32_t frames = 1;
    bool varies = false;
    for (; frames < kLeadFrames && !varies && walk.Next(&parsed); ++frames) varies = parsed.bitrateIndex != firstRate;
    const uint64_t size = source.Size();
    for (int quarter = 1; quarter <= 3 && !varies && size > audioStart; ++quarter) {
        const int rate = BitrateNear(source, audioStart + (size - audioStart) * quarter / 4, format);
        varies = rate != 0 && rate != firstRate;
    }
    if (!varies) return 0;
    // The walk goes on from the frames the lead counted.
    while (walk.Next(&parsed)) ++frames;
    return frames;
}
