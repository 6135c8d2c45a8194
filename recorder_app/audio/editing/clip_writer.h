// Where a cut writes the new clip: a temporary file that the caller flushes, measures and
// renames over the clip, or memory in tests.
#pragma once
#include <cstddef>
#include <cstdint>

class ClipWriter {
public:
    virtual ~ClipWriter() = default;
    // Appends `size` bytes; false when they could not all be written.
    virtual bool Write(const uint8_t* data, size_t size) = 0;
    // Writes over bytes already appended (the Info frame, once the clip's counts are known).
    virtual bool WriteAt(uint64_t position, const uint8_t* data, size_t size) = 0;
};
