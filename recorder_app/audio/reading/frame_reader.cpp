// Frame reading without any platform code; see frame_reader_win.cpp for opening files.
#include "audio/reading/frame_reader.h"

#include <cstring>

#include "audio/reading/info_frame.h"
#include "audio/reading/vbr_frame_count.h"

namespace {

constexpr size_t kFrameBufferBytes = FrameReader::kHeaderBytes + kMaxFrameBody;
constexpr int kId3HeaderBytes = 10;
constexpr int kId3HeaderRest = 6;  // revision, flags and four size bytes after "ID3" + version
constexpr uint32_t kMaxDurationMs = 0xFFFFFFFEu;  // all bits set means "no duration"

uint32_t BigEndian32(const uint8_t* b) {
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
}

void PutBigEndian32(uint32_t v, uint8_t* b) {
    b[0] = uint8_t(v >> 24);
    b[1] = uint8_t(v >> 16);
    b[2] = uint8_t(v >> 8);
    b[3] = uint8_t(v);
}

uint32_t LittleEndian32(const uint8_t* b) {
    return (uint32_t(b[3]) << 24) | (uint32_t(b[2]) << 16) | (uint32_t(b[1]) << 8) | b[0];
}

bool IsId3Start(uint32_t window) {
    return (window >> 8) == 0x494433;  // "ID3"
}

// Tags that players pass over between frames, besides ID3v2: an APE tag ("APETAGEX" and a
// 32-byte header or footer) and ID3v1 ("TAG" and 128 bytes), which stand between the two
// halves of files joined end to end.
constexpr uint32_t kApeStart = 0x41504554;  // "APET"
constexpr int kApeHeaderBytes = 32;
constexpr uint32_t kApeIsHeader = 1u << 29;
constexpr int kId3v1Bytes = 128;

bool IsId3v1Start(uint32_t window) {
    return (window >> 8) == 0x544147;  // "TAG"
}

// Clips joined end to end, each with its own Info frame, are counted one after the other;
// a limit keeps a file of thousands of tiny joined streams from costing more than a glance.
constexpr int kMaxJoinedStreams = 16;

// A view of another reader's source from `base` on, which looks like a file of its own.
class SourceTail : public ByteSource {
public:
    SourceTail(ByteSource& source, uint64_t base) : m_source(source), m_base(base) {}
    long Read(uint8_t* dest, size_t count) override { return m_source.Read(dest, count); }
    bool Seek(uint64_t position) override { return m_source.Seek(m_base + position); }
    uint64_t Position() const override { return m_source.Position() - m_base; }
    uint64_t Size() const override { return m_source.Size() - m_base; }

private:
    ByteSource& m_source;
    uint64_t m_base;
};

}  // namespace

FrameReader::FrameReader() {
    for (auto& frame : m_frames) frame.reset(new uint8_t[kFrameBufferBytes]());
}

bool FrameReader::Open(std::unique_ptr<ByteSource> source) {
    Close();
    if (!source || !source->Seek(0)) return false;
    m_source = std::move(source);
    const uint64_t size = m_source->Size();
    m_fileSize = size;
    m_previousHeader = 0;
    m_firstHeader = 0;
    m_audioStart = 0;
    m_infoFrames = 0;
    m_walkedFrames = 0;
    m_walked = false;
    m_joinedMs = 0;
    m_header = FrameHeader();
    ForgetFrames();
    return true;
}

void FrameReader::Close() {
    m_source.reset();
}

bool FrameReader::Rewind() {
    m_previousHeader = 0;
    ForgetFrames();
    return m_source && m_source->Seek(0);
}

void FrameReader::ForgetFrames() {
    m_frameSizes[0] = m_frameSizes[1] = 0;
    m_current = 0;
}

// Reads 4 bytes into the window: kFrameRead, kEndOfFile on a short read, or kReadFailed.
int FrameReader::ReadWindow() {
    uint8_t bytes[kHeaderBytes];
    const long n = m_source->Read(bytes, sizeof bytes);
    if (n < 0) return kReadFailed;
    if (n < kHeaderBytes) return kEndOfFile;
    m_window = BigEndian32(bytes);
    return kFrameRead;
}

int FrameReader::ReadFrame() {
    if (!m_source) return kReadFailed;
    int result = ReadWindow();
    if (result != kFrameRead) return result;

    const bool first = m_previousHeader == 0;
    const bool sameAsPrevious = !first && m_window == m_previousHeader;
    if (!sameAsPrevious) {
        // Tags at the front, and between the halves of clips joined end to end.
        result = SkipTags(true);
        if (result != kFrameRead) return result;
        // A first header is taken only once the next frame confirms it: a sync pattern by
        // chance in junk before the audio would otherwise set the whole stream's format.
        bool found = IsValidHeader(m_window);
        if (found && first) {
            result = ConfirmFirstHeader();
            if (result == kReadFailed) return result;
            found = result == kFrameRead;
        }
        if (!found) {
            result = SearchHeader(first);
            if (result != kFrameRead) return result;
        }
        // The stream's format is fixed by its first header; later ones may not change it.
        if (!ParseHeader(m_window, first, m_header)) return kNoFrame;
        if (first) {
            m_firstHeader = m_window;
            m_audioStart = static_cast<uint32_t>(m_source->Position() - kHeaderBytes);
        }
        m_previousHeader = m_window;
    }

    // The other buffer keeps the previous frame for the bit reservoir.
    const int next = 1 - m_current;
    uint8_t* frame = m_frames[next].get();
    const size_t body = static_cast<size_t>(m_header.bodyLength);
    const uint64_t offset = m_source->Position() - kHeaderBytes;
    const long n = m_source->Read(frame + kHeaderBytes, body);
    if (n < 0) return kReadFailed;
    if (n == 0) return kEndOfFile;
    // A truncated last frame is decoded with silence in place of what is missing.
    if (static_cast<size_t>(n) < body) std::memset(frame + kHeaderBytes + n, 0, body - n);
    PutBigEndian32(m_window, frame);
    m_current = next;
    m_frameSizes[m_current] = kHeaderBytes + body;
    m_frameOffset = offset;
    if (first) {
        const InfoCounts info = ReadInfoFrame(frame, kHeaderBytes + body, m_header);
        m_infoFrames = info.frames;
        m_joinedMs = 0;
        const uint64_t resume = m_source->Position();
        const uint64_t countedEnd = m_audioStart + uint64_t(info.bytes);
        if (info.frames != 0 && info.bytes > m_source->Size()) {
            // A file cut short (a download that stopped) holds only part of what was counted.
            // Some encoders count a tag in front too, so only a file smaller than the count
            // itself is taken for one.
            m_infoFrames = static_cast<uint32_t>(uint64_t(info.frames) * (m_source->Size() - m_audioStart) / info.bytes);
        } else if (info.frames != 0 && info.bytes != 0) {
            m_joinedMs = JoinedStreamsMs(countedEnd);
        } else if (info.frames == 0 && !m_walked) {
            m_walkedFrames = CountFramesOfVariableRate(*m_source, m_audioStart, m_firstHeader);
            m_walked = true;
        }
        if (!m_source->Seek(resume)) return kReadFailed;
    }
    return kFrameRead;
}

// The duration of what follows the stream that an Info frame counted, when the file holds
// more: another clip joined on, read as a file of its own from `end` on (its tags skipped,
// its own Info frame or size giving its duration). Moves the source's position.
uint32_t FrameReader::JoinedStreamsMs(uint64_t end) {
    // A count that ends inside the frame just read is not to be believed.
    if (m_joinDepth + 1 >= kMaxJoinedStreams || end < m_source->Position() || end >= m_source->Size()) return 0;
    FrameReader rest;
    rest.m_joinDepth = m_joinDepth + 1;
    if (!rest.Open(std::unique_ptr<ByteSource>(new SourceTail(*m_source, end)))) return 0;
    return rest.ReadFrame() == kFrameRead ? rest.Duration() : 0;
}

// Skips the tags that start at the window, one after the other (taggers stack them, and a
// cover picture holds sync patterns), leaving in the window the four bytes after the last
// one. Where a frame was due (`atFrameStart`), an ID3v2 tag that claims more bytes than the
// file holds is broken and fails, and "TAG" is taken for ID3v1; found by the search, a tag
// must be plausible or its bytes are searched like any others. Positions are taken from
// where each tag starts, so that a tag can never send the reader back to bytes it has
// already passed.
int FrameReader::SkipTags(bool atFrameStart) {
    for (;;) {
        const uint64_t tagStart = m_source->Position() - kHeaderBytes;
        uint64_t tagEnd = 0;
        const int found = MeasureTag(atFrameStart, tagStart, &tagEnd);
        if (found != kFrameRead) return found == kNoFrame ? kFrameRead : found;
        const uint64_t noted = m_source->Position();
        if (!m_source->Seek(tagEnd)) {
            m_source->Seek(noted);
            return kReadFailed;
        }
        const int result = ReadWindow();
        // A tag that claims more bytes than the file holds is broken; one that ends the file
        // simply leaves no frames.
        if (result == kEndOfFile && tagEnd > m_source->Size() && atFrameStart) return kReadFailed;
        if (result != kFrameRead) return result;
    }
}

// kFrameRead with the end of the tag that starts at the window, kNoFrame (the position
// unchanged) when none does, or kReadFailed.
int FrameReader::MeasureTag(bool atFrameStart, uint64_t tagStart, uint64_t* tagEnd) {
    const uint64_t afterWindow = tagStart + kHeaderBytes;
    if (IsId3v1Start(m_window) && atFrameStart) {
        *tagEnd = tagStart + kId3v1Bytes;
        return kFrameRead;
    }
    uint8_t rest[kApeHeaderBytes - kHeaderBytes];
    if (IsId3Start(m_window)) {
        const long n = m_source->Read(rest, kId3HeaderRest);
        if (n < 0) return kReadFailed;
        const uint32_t majorVersion = m_window & 0xFF;
        const bool sizeOk = n == kId3HeaderRest && ((rest[2] | rest[3] | rest[4] | rest[5]) & 0x80) == 0;
        uint32_t size = (uint32_t(rest[2] & 0x7F) << 21) | (uint32_t(rest[3] & 0x7F) << 14) |
                        (uint32_t(rest[4] & 0x7F) << 7) | uint32_t(rest[5] & 0x7F);
        const uint8_t kFooterPresent = 0x10;  // version 4 only: a 10-byte copy of the header
        if (majorVersion == 4 && n == kId3HeaderRest && (rest[1] & kFooterPresent)) size += kId3HeaderBytes;
        *tagEnd = tagStart + kId3HeaderBytes + size;
        if (atFrameStart) return n == kId3HeaderRest ? kFrameRead : kReadFailed;
        const bool plausible = majorVersion >= 2 && majorVersion <= 4 && rest[0] != 0xFF && sizeOk &&
                               *tagEnd <= m_source->Size();
        if (plausible) return kFrameRead;
        return m_source->Seek(afterWindow) ? kNoFrame : kReadFailed;
    }
    if (m_window == kApeStart) {
        const long n = m_source->Read(rest, sizeof rest);
        if (n < 0) return kReadFailed;
        if (n == long(sizeof rest) && std::memcmp(rest, "AGEX", 4) == 0) {
            // Version, size (items and footer, not the header), item count, flags: little-endian.
            const uint32_t size = LittleEndian32(rest + 8);
            const bool isHeader = (LittleEndian32(rest + 16) & kApeIsHeader) != 0;
            *tagEnd = tagStart + kApeHeaderBytes + (isHeader ? size : 0);
            if (*tagEnd <= m_source->Size()) return kFrameRead;
        }
        return m_source->Seek(afterWindow) ? kNoFrame : kReadFailed;
    }
    return kNoFrame;
}

// Slides the window one byte at a time until it holds a valid header, one that the next
// frame confirms when `confirm` is set.
int FrameReader::SearchHeader(bool confirm) {
    for (uint32_t searched = 0; searched < kSearchLimit; ++searched) {
        uint8_t byte;
        const long n = m_source->Read(&byte, 1);
        if (n < 0) return kReadFailed;
        if (n == 0) return kEndOfFile;
        m_window = (m_window << 8) | byte;
        if (IsId3Start(m_window) || m_window == kApeStart) {
            const int result = SkipTags(false);
            if (result != kFrameRead) return result;
        }
        if (!IsValidHeader(m_window)) continue;
        if (!confirm) return kFrameRead;
        const int result = ConfirmFirstHeader();
        if (result != kNoFrame) return result;
    }
    return kNoFrame;
}

// The window holds a valid header just read. kFrameRead when a header of the same version,
// layer and rate or a tag stands right after its frame, or the file ends before one could; kNoFrame
// when not, or when the header gives no frame length (free format); kReadFailed on a read
// error. The read position is left right after the window.
int FrameReader::ConfirmFirstHeader() {
    FrameHeader candidate;
    if (!ParseHeader(m_window, true, candidate)) return kNoFrame;
    const uint64_t bodyStart = m_source->Position();
    const uint64_t nextStart = bodyStart + static_cast<uint64_t>(candidate.bodyLength);
    if (nextStart + kHeaderBytes > m_source->Size()) return kFrameRead;
    uint8_t bytes[kHeaderBytes];
    if (!m_source->Seek(nextStart)) return kReadFailed;
    const long n = m_source->Read(bytes, sizeof bytes);
    if (!m_source->Seek(bodyStart) || n < 0) return kReadFailed;
    if (n < kHeaderBytes) return kFrameRead;
    const uint32_t next = BigEndian32(bytes);
    // A clip of a single frame has its tags, not another frame, after it.
    const bool confirmed = (IsValidHeader(next) && (next & kStreamFormatBits) == (m_window & kStreamFormatBits)) ||
                           IsId3v1Start(next) || IsId3Start(next) || next == kApeStart;
    return confirmed ? kFrameRead : kNoFrame;
}

bool FrameReader::MatchesStreamFormat(const uint8_t* frame, size_t size) const {
    return size >= kHeaderBytes && m_firstHeader != 0 &&
           (BigEndian32(frame) & kStreamFormatBits) == (m_firstHeader & kStreamFormatBits);
}

uint32_t FrameReader::Duration() const {
    if (m_header.bodyLength == 0) return 0;
    // A variable bit rate makes the estimate below wrong either way; the encoder's count is
    // exact.
    if (m_infoFrames != 0) {
        const double ms = m_infoFrames * MsPerFrame() + m_joinedMs;
        return ms >= kMaxDurationMs ? kMaxDurationMs : static_cast<uint32_t>(ms);
    }
    // Without an encoder's count, a rate that varies leaves the frames themselves to count.
    if (m_walkedFrames != 0) {
        const double ms = m_walkedFrames * MsPerFrame();
        return ms >= kMaxDurationMs ? kMaxDurationMs : static_cast<uint32_t>(ms);
    }
    const uint64_t bytesPerFrame = static_cast<uint64_t>(m_header.bodyLength - m_header.padding + 5);
    // A tag or junk before the first frame holds no sound: a cover picture would otherwise
    // add seconds to the clip.
    const uint64_t audioBytes = m_fileSize > m_audioStart ? m_fileSize - m_audioStart : 0;
    const double ms = static_cast<double>(audioBytes / bytesPerFrame) * MsPerFrame();
    return ms >= kMaxDurationMs ? kMaxDurationMs : static_cast<uint32_t>(ms);
}
