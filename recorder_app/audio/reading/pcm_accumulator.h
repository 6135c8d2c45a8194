// Collects decoded PCM into output blocks. The decoder appends one synthesis step at a time
// (32 stereo samples, 16 at the 2:1 reduction); whenever the fill reaches the block size the
// whole fill goes out as one block, so with the default sizes every block but the last of a
// playback holds exactly 16384 bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

class BlockWriter {
public:
    virtual ~BlockWriter() = default;
    // Hands one block of PCM on; false on an output error.
    virtual bool WriteBlock(const uint8_t* pcm, uint32_t length) = 0;
};

class PcmAccumulator {
public:
    // Room beyond the block size, so that the step that crosses it always fits.
    static constexpr uint32_t kSpareBytes = 1000;

    // Replaces any previous buffer by a zero-filled one; false when memory is short.
    bool Allocate(uint32_t blockSize, uint32_t stepBytes);
    void Free();
    bool IsAllocated() const { return m_buffer != nullptr; }

    // Appends PCM step by step, writing a block whenever it is full; false on an output error.
    bool Append(const uint8_t* pcm, size_t length, BlockWriter& writer);
    // Writes the partly filled block, if any.
    bool Flush(BlockWriter& writer);
    uint32_t Fill() const { return m_fill; }

private:
    std::unique_ptr<uint8_t[]> m_buffer;
    uint32_t m_blockSize = 0;
    uint32_t m_stepBytes = 0;
    uint32_t m_fill = 0;
};
