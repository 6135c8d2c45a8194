// The levels of a take as it is captured: the capture worker measures each block it hands
// to the encoder, and the window takes the blocks measured since it last looked. The cost is
// one comparison per sample; nothing is decoded again.
#pragma once
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "audio/levels/level_series.h"

namespace levels {

class LiveLevels {
public:
    // A new take of 16-bit PCM, its first sample at block 0.
    void Start(uint32_t rate, uint32_t channels);
    // On the capture worker.
    void Feed(const void* pcm, size_t bytes);
    // Appends to `out` the blocks from `from` on that are measured; the take's last block
    // too once `Finish` has run.
    void CopyFrom(size_t from, Codes& out) const;
    // At the end of the take: its last, partial block.
    void Finish();

private:
    mutable std::mutex m_lock;
    PeakMeter m_meter;
    uint32_t m_channels = 1;
    Codes m_codes;
};

}  // namespace levels
