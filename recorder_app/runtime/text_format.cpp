#include "text_format.h"
#include <cwchar>
#include <stdio.h>

size_t FormatTruncatedV(wchar_t* buffer, size_t capacity, const wchar_t* format, va_list args) {
    if (capacity == 0) return 0;
    // The runtime's _vsnwprintf returns -1 and leaves no null when the text does not fit.
    const int written = _vsnwprintf(buffer, capacity - 1, format, args);
    const size_t length = written < 0 ? capacity - 1 : static_cast<size_t>(written);
    buffer[length] = L'\0';
    return wcslen(buffer);
}

size_t FormatTruncated(wchar_t* buffer, size_t capacity, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    const size_t length = FormatTruncatedV(buffer, capacity, format, args);
    va_end(args);
    return length;
}
