// Where the frame reader gets its bytes: a clip file on disk, or memory in tests and fuzzing.
#pragma once
#include <cstddef>
#include <cstdint>

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to `count` bytes; returns how many arrived (fewer only at the end of the data),
    // or -1 when the read failed.
    virtual long Read(uint8_t* dest, size_t count) = 0;
    // Moves to an absolute position, which may lie beyond the end; false when that fails.
    virtual bool Seek(uint64_t position) = 0;
    virtual uint64_t Position() const = 0;
    virtual uint64_t Size() const = 0;
};
