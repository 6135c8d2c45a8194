// Frame reading without any platform code; see frame_reader_win.cpp for opening files.
#include "audio/frame_reader.h"

#include <cstring>

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

bool IsId3Start(uint32_t window) {
    return (window >> 8) == 0x494433;  // "ID3"
}

// Version, layer and sampling rate: what two frames of one stream always share.
constexpr uint32_t kFormatBits = 0x001E0C00;

// The frame count of a Xing, Info or VBRI frame (the encoder's information frame that opens
// many files), or 0. Encoders put "Xing" or "Info" right after the Layer III side information;
// LAME does so even in a frame whose header announces a CRC, others leave room for the CRC.
uint32_t InfoFrameCount(const uint8_t* frame, size_t size, const FrameHeader& h) {
    const bool mpeg1 = h.version == MpegVersion::Mpeg1;
    const size_t sideInfo = mpeg1 ? (h.channels == 1 ? 17 : 32) : (h.channels == 1 ? 9 : 17);
    const size_t offsets[] = {FrameReader::kHeaderBytes + sideInfo,
                              FrameReader::kHeaderBytes + sideInfo + 2};
    for (size_t i = 0; i < (h.crcPresent ? 2u : 1u); ++i) {
        const uint8_t* tag = frame + offsets[i];
        if (offsets[i] + 12 > size) break;
        if (std::memcmp(tag, "Xing", 4) != 0 && std::memcmp(tag, "Info", 4) != 0) continue;
        const uint32_t kFramesPresent = 1;
        return (BigEndian32(tag + 4) & kFramesPresent) ? BigEndian32(tag + 8) : 0;
    }
    // Fraunhofer's encoders write a VBRI frame instead: its tag 32 bytes after the header,
    // then version, delay and quality (two bytes each), the stream's bytes and its frames.
    const size_t vbri = FrameReader::kHeaderBytes + 32;
    if (vbri + 18 <= size && std::memcmp(frame + vbri, "VBRI", 4) == 0) return BigEndian32(frame + vbri + 14);
    return 0;
}

}  // namespace

FrameReader::FrameReader() {
    for (auto& frame : m_frames) frame.reset(new uint8_t[kFrameBufferBytes]());
}

bool FrameReader::Open(std::unique_ptr<ByteSource> source) {
    Close();
    if (!source || !source->Seek(0)) return false;
    m_source = std::move(source);
    const uint64_t size = m_source->Size();
    m_fileSize = static_cast<uint32_t>(size);  // the low 32 bits, as the estimate uses them
    m_previousHeader = 0;
    m_firstHeader = 0;
    m_audioStart = 0;
    m_infoFrames = 0;
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
        if (IsId3Start(m_window)) {
            result = SkipId3Tags();
            if (result != kFrameRead) return result;
        }
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
    if (first) m_infoFrames = InfoFrameCount(frame, kHeaderBytes + body, m_header);
    return kFrameRead;
}

// The window holds "ID3" and the major version where a frame would start. Skips that tag and
// every tag that follows it directly (taggers stack them, and a cover picture holds sync
// patterns), leaving in the window the four bytes after the last one. Positions are taken
// from where each tag starts, so that a tag further into the file can never send the reader
// back to bytes it has already passed.
int FrameReader::SkipId3Tags() {
    do {
        const uint64_t tagStart = m_source->Position() - kHeaderBytes;
        const uint32_t majorVersion = m_window & 0xFF;
        uint8_t rest[kId3HeaderRest];
        const long n = m_source->Read(rest, sizeof rest);
        if (n != kId3HeaderRest) return kReadFailed;
        uint32_t size = (uint32_t(rest[2] & 0x7F) << 21) | (uint32_t(rest[3] & 0x7F) << 14) |
                        (uint32_t(rest[4] & 0x7F) << 7) | uint32_t(rest[5] & 0x7F);
        const uint8_t kFooterPresent = 0x10;  // version 4 only: a 10-byte copy of the header
        if (majorVersion == 4 && (rest[1] & kFooterPresent)) size += kId3HeaderBytes;
        const uint64_t tagEnd = tagStart + kId3HeaderBytes + size;
        const uint64_t noted = m_source->Position();
        if (!m_source->Seek(tagEnd)) {
            m_source->Seek(noted);
            return kReadFailed;
        }
        const int result = ReadWindow();
        // A tag that claims more bytes than the file holds is broken; one that ends the file
        // simply leaves no frames.
        if (result == kEndOfFile && tagEnd > m_source->Size()) return kReadFailed;
        if (result != kFrameRead) return result;
    } while (IsId3Start(m_window));
    return kFrameRead;
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
        if (!IsValidHeader(m_window)) continue;
        if (!confirm) return kFrameRead;
        const int result = ConfirmFirstHeader();
        if (result != kNoFrame) return result;
    }
    return kNoFrame;
}

// The window holds a valid header just read. kFrameRead when a header of the same version,
// layer and rate stands right after its frame, or the file ends before one could; kNoFrame
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
    const bool confirmed =
        IsValidHeader(next) && (next & kFormatBits) == (m_window & kFormatBits);
    return confirmed ? kFrameRead : kNoFrame;
}

bool FrameReader::MatchesStreamFormat(const uint8_t* frame, size_t size) const {
    return size >= kHeaderBytes && m_firstHeader != 0 &&
           (BigEndian32(frame) & kFormatBits) == (m_firstHeader & kFormatBits);
}

uint32_t FrameReader::Duration() const {
    if (m_header.bodyLength == 0) return 0;
    // A variable bit rate makes the estimate below wrong either way; the encoder's count is
    // exact.
    if (m_infoFrames != 0) {
        const double ms = m_infoFrames * MsPerFrame();
        return ms >= kMaxDurationMs ? kMaxDurationMs : static_cast<uint32_t>(ms);
    }
    const uint32_t bytesPerFrame =
        static_cast<uint32_t>(m_header.bodyLength - m_header.padding + 5);
    // A tag or junk before the first frame holds no sound: a cover picture would otherwise
    // add seconds to the clip.
    const uint32_t audioBytes = m_fileSize > m_audioStart ? m_fileSize - m_audioStart : 0;
    const uint32_t frames = audioBytes / bytesPerFrame;
    const double ms = frames * MsPerFrame();
    return ms >= kMaxDurationMs ? kMaxDurationMs : static_cast<uint32_t>(ms);
}
