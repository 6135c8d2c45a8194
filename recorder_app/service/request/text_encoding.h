// Conversions between the program's UTF-16 text and the 8-bit encodings of its partners:
// UTF-8 for the service's form and replies, the ANSI code page for libcurl's host names,
// proxy addresses and error texts. Characters that do not convert become replacements.
#pragma once
#include <cstddef>
#include <string>

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);
// At most maxBytes bytes of text, cut before a character that would not fit whole.
std::wstring FromUtf8Prefix(const std::string& text, size_t maxBytes);
std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const std::string& text);
