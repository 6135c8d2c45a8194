// Wide printf-style formatting where %s takes a wide string (the system library's meaning).
#pragma once
#include <cstdarg>
#include <cstddef>
#include <string>

// Formats into buffer (capacity characters, null included), cutting what does not fit;
// returns the number of characters written before the null.
size_t FormatTruncatedV(wchar_t* buffer, size_t capacity, const wchar_t* format, va_list args);
size_t FormatTruncated(wchar_t* buffer, size_t capacity, const wchar_t* format, ...);
