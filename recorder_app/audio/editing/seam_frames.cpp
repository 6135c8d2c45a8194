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

namespace {

constexpr int kSlices = 8;
constexpr int kLanes = 4;
constexpr int kShiftPowers = 32;

struct CrcTables {
    uint16_t t[kSlices][256];  // table k: a byte followed by k zero bytes
    // For each power of two 2^p: what 2^p zero bytes after it make of each bit of a CRC.
    uint16_t shift[kShiftPowers][16];
};

uint16_t ByteStep(const CrcTables& tables, uint16_t crc, uint8_t byte) {
    return static_cast<uint16_t>((crc >> 8) ^ tables.t[0][(crc ^ byte) & 0xFF]);
}

uint16_t ApplyShift(const uint16_t (&columns)[16], uint16_t crc) {
    uint16_t out = 0;
    for (int bit = 0; crc != 0; ++bit, crc >>= 1)
        if (crc & 1) out ^= columns[bit];
    return out;
}

const CrcTables& Tables() {
    static const CrcTables tables = [] {
        CrcTables made{};
        for (uint32_t byte = 0; byte < 256; ++byte) {
            uint32_t value = byte;
            for (int i = 0; i < 8; ++i) value = (value & 1) ? (value >> 1) ^ 0xA001 : value >> 1;
            made.t[0][byte] = static_cast<uint16_t>(value);
        }
        for (int k = 1; k < kSlices; ++k)
            for (uint32_t byte = 0; byte < 256; ++byte)
                made.t[k][byte] = static_cast<uint16_t>((made.t[k - 1][byte] >> 8) ^ made.t[0][made.t[k - 1][byte] & 0xFF]);
        for (int bit = 0; bit < 16; ++bit) made.shift[0][bit] = ByteStep(made, static_cast<uint16_t>(1u << bit), 0);
        for (int p = 1; p < kShiftPowers; ++p)
            for (int bit = 0; bit < 16; ++bit) made.shift[p][bit] = ApplyShift(made.shift[p - 1], made.shift[p - 1][bit]);
        return made;
    }();
    return tables;
}

// The CRC `crc` followed by `count` zero bytes.
uint16_t ShiftByZeros(const CrcTables& tables, uint16_t crc, uint32_t count) {
    for (int p = 0; count != 0; ++p, count >>= 1)
        if (count & 1) crc = ApplyShift(tables.shift[p], crc);
    return crc;
}

uint16_t EightBytes(const CrcTables& tables, uint16_t crc, const uint8_t* d) {
    const auto& t = tables.t;
    return static_cast<uint16_t>(t[7][(crc ^ d[0]) & 0xFF] ^ t[6][((crc >> 8) ^ d[1]) & 0xFF] ^ t[5][d[2]] ^ t[4][d[3]] ^
                                 t[3][d[4]] ^ t[2][d[5]] ^ t[1][d[6]] ^ t[0][d[7]]);
}

}  // namespace

uint16_t ExtensionCrc(uint16_t crc, const uint8_t* data, size_t size) {
    // The music CRC covers the whole clip, the one pass over every byte that the cut makes
    // besides reading and writing them. Eight bytes a step through eight tables, in four
    // lanes at once so that the steps of one lane need not wait for each other; as the CRC
    // is linear, a lane's CRC from 0 joins the one before it moved on by the lane's length.
    const CrcTables& tables = Tables();
    const size_t lane = size / kLanes / kSlices * kSlices;
    if (lane >= 1024) {
        uint16_t c[kLanes] = {crc, 0, 0, 0};
        for (size_t at = 0; at < lane; at += kSlices) {
            c[0] = EightBytes(tables, c[0], data + at);
            c[1] = EightBytes(tables, c[1], data + lane + at);
            c[2] = EightBytes(tables, c[2], data + 2 * lane + at);
            c[3] = EightBytes(tables, c[3], data + 3 * lane + at);
        }
        crc = c[0];
        for (int k = 1; k < kLanes; ++k) crc = static_cast<uint16_t>(ShiftByZeros(tables, crc, static_cast<uint32_t>(lane)) ^ c[k]);
        data += kLanes * lane;
        size -= kLanes * lane;
    }
    for (; size >= kSlices; size -= kSlices, data += kSlices) crc = EightBytes(tables, crc, data);
    for (; size > 0; --size, ++data) crc = ByteStep(tables, crc, *data);
    return crc;
}
