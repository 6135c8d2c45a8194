// Secrets (the password and its UTF-8 form) are overwritten in place before their memory goes
// back to the heap: freed blocks keep their bytes, and a crash dump carries the whole heap to
// the crash reporter.
#pragma once
#include <cstddef>
#include <string>

// Zeroes every unit the buffer holds, past the current length too (a shorter value assigned
// earlier, or a move out of the small inline buffer, leaves older characters there), then
// empties the string. The writes go through a volatile pointer so that the compiler cannot
// drop them as stores to memory that is about to be freed.
template <typename Char>
void WipeText(std::basic_string<Char>* text) {
    volatile Char* unit = text->data();
    for (size_t i = 0; i <= text->capacity(); ++i) unit[i] = Char();
    text->clear();
}
