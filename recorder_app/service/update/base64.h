// Strict decoding of standard base64 (RFC 4648 section 4, with padding), for what the service
// sends in its text replies. Pure code, so that it can be tested and fuzzed without Windows.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Decodes text into bytes. Refuses (false, bytes emptied) anything but whole groups of four
// characters of the standard alphabet, "=" only as the padding of the last group, and unused
// bits of the last character set: one byte string has exactly one accepted spelling. No
// white space, line breaks or URL-safe characters are taken.
bool DecodeBase64(const std::string& text, std::vector<uint8_t>* bytes);
