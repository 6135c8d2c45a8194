// libcurl's memory, overwritten before it goes back to the heap. The login and publication
// requests wipe the password they hold, but libcurl copies it into the form part's data and,
// as the body is sent, into its upload buffer; a freed block keeps its bytes, and a crash
// dump carries the whole heap to the crash reporter.
//
// Copies of the password that remain once a request is over, and why:
// - the remembered password (g_settings), kept for the next publication of this run by
//   design, and wiped when the program ends;
// - the publication dialog's password field: the edit control keeps its text in memory of the
//   system's own, for as long as the field is there by design, and frees it without wiping;
// - what the system's socket layer copied while sending (under Wine its buffers, its server's
//   and the kernel's), which the program cannot reach.
#pragma once
#include <cstddef>
#include <curl/curl.h>

// curl_global_init with these flags, with every allocation of libcurl going through the hooks
// below.
CURLcode InitCurlWithWipingAllocator(long flags);

namespace wiping_allocator {

// Each block starts with a header that holds its size, which freeing needs to know how much to
// wipe. It is as large as the strictest alignment, so that what follows it is aligned as the
// heap aligns the block.
constexpr size_t kHeaderBytes = alignof(std::max_align_t) > sizeof(size_t) ? alignof(std::max_align_t) : sizeof(size_t);

// What takes a wiped block (its header included) back: the heap's free.
using ReleaseFunction = void (*)(void* block);

// libcurl's hooks, with the semantics of the C library's functions.
void* Malloc(size_t bytes);
void Free(void* memory);
void* Realloc(void* memory, size_t bytes);
char* Strdup(const char* text);
void* Calloc(size_t count, size_t bytes);

// Free and Realloc with the heap's free in release. A block is never reallocated in place:
// the heap's realloc would give a moved block back without wiping it.
void FreeWiped(void* memory, ReleaseFunction release);
void* ReallocWiped(void* memory, size_t bytes, ReleaseFunction release);

}  // namespace wiping_allocator
