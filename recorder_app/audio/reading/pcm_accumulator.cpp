#include "audio/reading/pcm_accumulator.h"

#include <cstring>
#include <new>

bool PcmAccumulator::Allocate(uint32_t blockSize, uint32_t stepBytes) {
    Free();
    if (blockSize == 0 || stepBytes == 0 || stepBytes > kSpareBytes) return false;
    m_buffer.reset(new (std::nothrow) uint8_t[blockSize + kSpareBytes]());
    if (!m_buffer) return false;
    m_blockSize = blockSize;
    m_stepBytes = stepBytes;
    return true;
}

void PcmAccumulator::Free() {
    m_buffer.reset();
    m_fill = 0;
}

bool PcmAccumulator::Append(const uint8_t* pcm, size_t length, BlockWriter& writer) {
    if (!m_buffer) return false;
    while (length > 0) {
        // Whole steps up to the one that reaches the block size.
        const uint32_t missing = m_blockSize > m_fill ? m_blockSize - m_fill : 0;
        const size_t steps = (missing + m_stepBytes - 1) / m_stepBytes;
        size_t n = steps * m_stepBytes;
        if (n > length) n = length;
        std::memcpy(m_buffer.get() + m_fill, pcm, n);
        m_fill += static_cast<uint32_t>(n);
        pcm += n;
        length -= n;
        if (m_fill >= m_blockSize) {
            const uint32_t full = m_fill;
            m_fill = 0;
            if (!writer.WriteBlock(m_buffer.get(), full)) return false;
        }
    }
    return true;
}

bool PcmAccumulator::Flush(BlockWriter& writer) {
    if (!m_buffer || m_fill == 0) return true;
    const uint32_t partial = m_fill;
    m_fill = 0;
    return writer.WriteBlock(m_buffer.get(), partial);
}
