// A ByteSource over bytes in memory that it does not own.
#pragma once
#include "audio/reading/byte_source.h"

#include <cstring>

class MemorySource : public ByteSource {
public:
    MemorySource(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    long Read(uint8_t* dest, size_t count) override {
        if (m_position >= m_size) return 0;
        const size_t available = static_cast<size_t>(m_size - m_position);
        const size_t n = count < available ? count : available;
        if (n) std::memcpy(dest, m_data + m_position, n);
        m_position += n;
        return static_cast<long>(n);
    }
    bool Seek(uint64_t position) override {
        m_position = position;
        return true;
    }
    uint64_t Position() const override { return m_position; }
    uint64_t Size() const override { return m_size; }

private:
    const uint8_t* m_data;
    uint64_t m_size;
    uint64_t m_position = 0;
};
