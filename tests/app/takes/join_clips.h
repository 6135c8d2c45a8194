// The clips that make_join_clips.sh leaves for the join and recovery tests, and the file
// checks both make on them and on what they become.
#pragma once
#include <windows.h>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

// QB_JOIN_CLIPS, a unix path, as Wine sees it on drive Z:.
inline std::wstring ClipsFolder() {
    const char* unix = std::getenv("QB_JOIN_CLIPS");
    std::wstring path = L"Z:";
    for (const char* c = unix ? unix : ""; *c != '\0'; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path;
}

inline std::string Bytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
