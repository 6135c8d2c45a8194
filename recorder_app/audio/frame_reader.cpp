// Frame reading without any platform code; see frame_reader_win.cpp for opening files.
#include "audio/frame_reader.h"

#include <cstring>

namespace {

constexpr size_t kFrameBufferBytes = FrameReader::kHeaderBytes + kMaxFrameBody;
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

    const bool sameAsPrevious = m_previousHeader != 0 && m_window == m_previousHeader;
    if (!sameAsPrevious) {
        if (!IsValidHeader(m_window)) {
            if ((m_window >> 8) == 0x494433) {  // "ID3"
                result = SkipId3Tag();
                if (result != kFrameRead) return result;
            }
            result = SearchHeader();
            if (result != kFrameRead) return result;
        }
        // The stream's format is fixed by its first header; later ones may not change it.
        const bool first = m_previousHeader == 0;
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
    const long n = m_source->Read(frame + kHeaderBytes, body);
    if (n < 0) return kReadFailed;
    if (n == 0) return kEndOfFile;
    // A truncated last frame is decoded with silence in place of what is missing.
    if (static_cast<size_t>(n) < body) std::memset(frame + kHeaderBytes + n, 0, body - n);
    PutBigEndian32(m_window, frame);
    m_current = next;
    m_frameSizes[m_current] = kHeaderBytes + body;
    return kFrameRead;
}

// The window holds "ID3" and the major version. The tag's size counts the bytes after its
// 10-byte header; the reader lands on the tag's last 4 bytes and searches on from there.
// Positions are taken from where the tag starts, so that a tag further into the file can
// never send the reader back to bytes it has already passed.
int FrameReader::SkipId3Tag() {
    const uint64_t tagStart = m_source->Position() - kHeaderBytes;
    uint8_t rest[kId3HeaderRest];
    const long n = m_source->Read(rest, sizeof rest);
    if (n != kId3HeaderRest) return kReadFailed;
    const uint32_t size = (uint32_t(rest[2] & 0x7F) << 21) | (uint32_t(rest[3] & 0x7F) << 14) |
                          (uint32_t(rest[4] & 0x7F) << 7) | uint32_t(rest[5] & 0x7F);
    const uint64_t noted = m_source->Position();
    if (!m_source->Seek(tagStart + kId3HeaderRest + size)) {
        m_source->Seek(noted);
        return kReadFailed;
    }
    const int result = ReadWindow();
    return result == kFrameRead ? kFrameRead : kReadFailed;
}

// Slides the window one byte at a time until it holds a valid header.
int FrameReader::SearchHeader() {
    for (uint32_t searched = 0; searched < kSearchLimit; ++searched) {
        uint8_t byte;
        const long n = m_source->Read(&byte, 1);
        if (n < 0) return kReadFailed;
        if (n == 0) return kEndOfFile;
        m_window = (m_window << 8) | byte;
        if (IsValidHeader(m_window)) return kFrameRead;
    }
    return kNoFrame;
}

bool FrameReader::MatchesStreamFormat(const uint8_t* frame, size_t size) const {
    const uint32_t kFormatBits = 0x001E0C00;  // version, layer, sampling rate
    return size >= kHeaderBytes && m_firstHeader != 0 &&
           (BigEndian32(frame) & kFormatBits) == (m_firstHeader & kFormatBits);
}

uint32_t FrameReader::Duration() const {
    if (m_header.bodyLength == 0) return 0;
    const uint32_t bytesPerFrame =
        static_cast<uint32_t>(m_header.bodyLength - m_header.padding + 5);
    // A tag or junk before the first frame holds no sound: a cover picture would otherwise
    // add seconds to the clip.
    const uint32_t audioBytes = m_fileSize > m_audioStart ? m_fileSize - m_audioStart : 0;
    const uint32_t frames = audioBytes / bytesPerFrame;
    const double ms = frames * MsPerFrame();
    return ms >= kMaxDurationMs ? kMaxDurationMs : static_cast<uint32_t>(ms);
}
