// The heap hooks that libcurl allocates through: a size header in front of every block, and
// every byte of the block overwritten before it is freed.
#include "wiping_allocator.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace wiping_allocator {
namespace {

static_assert(kHeaderBytes % alignof(size_t) == 0, "the size in the header must be aligned");

unsigned char* BlockOf(void* memory) { return static_cast<unsigned char*>(memory) - kHeaderBytes; }

size_t SizeOf(void* memory) {
    size_t bytes = 0;
    std::memcpy(&bytes, BlockOf(memory), sizeof bytes);
    return bytes;
}

void HeapFree(void* block) { std::free(block); }

}  // namespace

void* Malloc(size_t bytes) {
    if (bytes > SIZE_MAX - kHeaderBytes) return nullptr;
    auto* block = static_cast<unsigned char*>(std::malloc(kHeaderBytes + bytes));
    if (block == nullptr) return nullptr;
    std::memcpy(block, &bytes, sizeof bytes);
    return block + kHeaderBytes;
}

void FreeWiped(void* memory, ReleaseFunction release) {
    if (memory == nullptr) return;
    unsigned char* block = BlockOf(memory);
    const size_t total = kHeaderBytes + SizeOf(memory);
    // Through a volatile pointer: stores to memory about to be freed may otherwise be dropped.
    volatile unsigned char* byte = block;
    for (size_t i = 0; i < total; ++i) byte[i] = 0;
    release(block);
}

void Free(void* memory) { FreeWiped(memory, &HeapFree); }

void* ReallocWiped(void* memory, size_t bytes, ReleaseFunction release) {
    if (memory == nullptr) return Malloc(bytes);
    void* moved = Malloc(bytes);
    if (moved == nullptr) return nullptr;  // the old block stays, as with realloc
    const size_t kept = SizeOf(memory);
    std::memcpy(moved, memory, kept < bytes ? kept : bytes);
    FreeWiped(memory, release);
    return moved;
}

void* Realloc(void* memory, size_t bytes) { return ReallocWiped(memory, bytes, &HeapFree); }

char* Strdup(const char* text) {
    const size_t bytes = std::strlen(text) + 1;
    void* copy = Malloc(bytes);
    if (copy != nullptr) std::memcpy(copy, text, bytes);
    return static_cast<char*>(copy);
}

void* Calloc(size_t count, size_t bytes) {
    if (bytes != 0 && count > SIZE_MAX / bytes) return nullptr;
    void* memory = Malloc(count * bytes);
    if (memory != nullptr) std::memset(memory, 0, count * bytes);
    return memory;
}

}  // namespace wiping_allocator

CURLcode InitCurlWithWipingAllocator(long flags) {
    using namespace wiping_allocator;
    return curl_global_init_mem(flags, &Malloc, &Free, &Realloc, &Strdup, &Calloc);
}
