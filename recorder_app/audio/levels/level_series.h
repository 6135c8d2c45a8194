// A clip's levels: the peak of every 20 ms of sound, kept as one byte each, in half decibels
// below full scale. The time line draws its 200 ms columns from them and the spot command
// finds pauses on them. Pure logic, no Win32.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace levels {

constexpr uint32_t kBlockMs = 20;
constexpr uint32_t kBlocksPerSecond = 1000 / kBlockMs;
// Codes: 0 is full scale, each step half a decibel lower; kSilent is -127 dB or below
// (digital silence); kUnknown a block not measured yet.
constexpr uint8_t kSilent = 254;
constexpr uint8_t kUnknown = 255;
constexpr double kDbPerCode = 0.5;

using Codes = std::vector<uint8_t>;

// The code of a sample peak, 0 ... 32768.
uint8_t CodeOfPeak(uint32_t peak);
// Decibels below full scale of a known code (0 or negative).
double DbOfCode(uint8_t code);
// The code of a level `db` decibels louder (negative: quieter), kept within 0 ... kSilent.
uint8_t ShiftedCode(uint8_t code, double db);

inline uint32_t BlockOfMs(uint32_t ms) { return ms / kBlockMs; }
// Blocks that cover `ms` of sound.
inline uint32_t BlocksFor(uint32_t ms) { return (ms + kBlockMs - 1) / kBlockMs; }
// The first sample of a block at `rate`: blocks follow the clock, not a sample count, so
// that rates such as 11025 Hz keep their blocks on the 20 ms grid.
inline uint64_t BlockStartSample(uint32_t block, uint32_t rate) {
    return static_cast<uint64_t>(block) * rate / kBlocksPerSecond;
}

// The loudest code of [fromMs, toMs), kUnknown when any block there is unknown or lies
// beyond the series; the blocks are those that begin inside the range.
uint8_t LoudestIn(const Codes& codes, uint32_t fromMs, uint32_t toMs);

// Every level `db` decibels louder, unknown blocks left unknown: a clip made louder or
// quieter as a whole.
void Shift(Codes& codes, double db);

// Peaks of consecutive blocks from 16-bit PCM fed in order, from the first sample of
// a block on.
class PeakMeter {
public:
    // `firstBlock` begins at sample `BlockStartSample(firstBlock, rate)` of the clip, which
    // is the first sample fed.
    void Start(uint32_t rate, uint32_t channels, uint32_t firstBlock);
    // Interleaved samples, `frames` of them per channel; each finished block's code goes to
    // codes[block], the series grown as needed.
    void Feed(const int16_t* samples, size_t frames, Codes& codes);
    // The block in progress, measured so far: at the end of a clip.
    void Finish(Codes& codes);
    // The block the next sample belongs to.
    uint32_t NextBlock() const { return m_block; }

private:
    uint32_t m_rate = 0;
    uint32_t m_channels = 1;
    uint32_t m_block = 0;
    uint64_t m_sample = 0;    // the clip's sample the next frame fed is
    uint64_t m_blockEnd = 0;  // first sample of the next block
    uint32_t m_peak = 0;
    bool m_any = false;       // a sample of the block in progress was fed
};

}  // namespace levels
