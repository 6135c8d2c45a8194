// A whole file's bytes, for the tests of any folder: the end-to-end harness and the update
// tests both compare files byte for byte.
#pragma once
#include <cstdio>
#include <string>

// Empty when the file cannot be opened.
inline std::string ReadFileBytes(const std::wstring& path) {
    std::string bytes;
    FILE* f = _wfopen(path.c_str(), L"rb");
    if (f == nullptr) return bytes;
    char chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
    fclose(f);
    return bytes;
}
