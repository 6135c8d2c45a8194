#include "audio/editing/seam_frames.h"

#include "audio/loudness/global_gain.h"
#include "audio/reading/info_frame.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kHeaderBytes = 4;
constexpr size_t kCrcBytes = 2;
// In the encoder's extension: the delay and padding (12 bits each), the music's length and
// CRC, and the extension's own CRC.
constexpr size_t kDelayPaddingAt = 21;
constexpr size_t kMusicLengthAt = 28;
constexpr size_t kMusicCrcAt = 32;
constexpr size_t kExtensionCrcAt = 34;
constexpr int kMaxDelayField = 0xFFF;

void PutBigEndian32(uint32_t v, uint8_t* b) {
    b[0] = uint8_t(v >> 24);
    b[1] = uint8_t(v >> 16);
    b[2] = uint8_t(v >> 8);
    b[3] = uint8_t(v);
}

void PutBigEndian16(uint16_t v, uint8_t* b) {
    b[0] = uint8_t(v >> 8);
    b[1] = uint8_t(v);
}

}  // namespace

bool MakeCarrier(uint8_t* frame, size_t size, const FrameHeader& header, int reachBack) {
    GainLayout layout;
    if (!GainLayoutOf(header, layout) || size < static_cast<size_t>(layout.protectedBytes)) return false;
    const size_t sideInfo = kHeaderBytes + (header.crcPresent ? kCrcBytes : 0);
    std::memset(frame + sideInfo, 0, static_cast<size_t>(layout.protectedBytes) - sideInfo);
    // main_data_begin: 9 bits in MPEG-1, 8 in MPEG-2 and 2.5.
    if (header.version == MpegVersion::Mpeg1) {
        const int back = std::min(std::max(reachBack, 0), 511);
        frame[sideInfo] = static_cast<uint8_t>(back >> 1);
        frame[sideInfo + 1] = static_cast<uint8_t>((back & 1) << 7);
    } else {
        frame[sideInfo] = static_cast<uint8_t>(std::min(std::max(reachBack, 0), 255));
    }
    if (header.crcPresent) PutBigEndian16(Layer3Crc(frame, layout), frame + kHeaderBytes);
    return true;
}

void RewriteInfoFrame(uint8_t* frame, size_t size, const FrameHeader& header, const InfoUpdate& update) {
    const InfoLayout layout = LocateInfoFields(frame, size, header);
    if (layout.frames) PutBigEndian32(update.frames, frame + layout.frames);
    if (layout.bytes) PutBigEndian32(update.bytes, frame + layout.bytes);
    if (layout.toc && update.bytes != 0) {
        for (int i = 0; i < kTocEntries; ++i) {
            const uint64_t entry = uint64_t(update.tocPositions[i]) * 256 / update.bytes;
            frame[layout.toc + i] = static_cast<uint8_t>(std::min<uint64_t>(entry, 255));
        }
    }
    if (!layout.lame) return;
    uint8_t* ext = frame + layout.lame;
    int delay = (ext[kDelayPaddingAt] << 4) | (ext[kDelayPaddingAt + 1] >> 4);
    int padding = ((ext[kDelayPaddingAt + 1] & 0x0F) << 8) | ext[kDelayPaddingAt + 2];
    if (update.delay >= 0) delay = std::min(update.delay, kMaxDelayField);
    if (update.padding >= 0) padding = std::min(update.padding, kMaxDelayField);
    ext[kDelayPaddingAt] = static_cast<uint8_t>(delay >> 4);
    ext[kDelayPaddingAt + 1] = static_cast<uint8_t>(((delay & 0x0F) << 4) | (padding >> 8));
    ext[kDelayPaddingAt + 2] = static_cast<uint8_t>(padding & 0xFF);
    PutBigEndian32(update.bytes, ext + kMusicLengthAt);
    PutBigEndian16(update.musicCrc, ext + kMusicCrcAt);
    PutBigEndian16(ExtensionCrc(0, frame, layout.lame + kExtensionCrcAt), ext + kExtensionCrcAt);
}

uint16_t ExtensionCrc(uint16_t crc, const uint8_t* data, size_t size) {
    // Eight bytes a step through eight tables (table k: a byte followed by k zero bytes): the
    // music CRC covers the whole clip, and a byte at a time it cost more than reading it.
    struct Tables { uint16_t t[8][256]; };
    static const Tables tables = [] {
        Tables made{};
        for (uint32_t byte = 0; byte < 256; ++byte) {
            uint32_t value = byte;
            for (int i = 0; i < 8; ++i) value = (value & 1) ? (value >> 1) ^ 0xA001 : value >> 1;
            made.t[0][byte] = static_cast<uint16_t>(value);
        }
        for (int k = 1; k < 8; ++k)
            for (uint32_t byte = 0; byte < 256; ++byte)
                made.t[k][byte] = static_cast<uint16_t>((made.t[k - 1][byte] >> 8) ^ made.t[0][made.t[k - 1][byte] & 0xFF]);
        return made;
    }();
    const auto& t = tables.t;
    for (; size >= 8; size -= 8, data += 8) {
        crc = static_cast<uint16_t>(t[7][(crc ^ data[0]) & 0xFF] ^ t[6][((crc >> 8) ^ data[1]) & 0xFF] ^ t[5][data[2]] ^
                                    t[4][data[3]] ^ t[3][data[4]] ^ t[2][data[5]] ^ t[1][data[6]] ^ t[0][data[7]]);
    }
    for (; size > 0; --size, ++data) crc = static_cast<uint16_t>((crc >> 8) ^ t[0][(crc ^ *data) & 0xFF]);
    return crc;
}
