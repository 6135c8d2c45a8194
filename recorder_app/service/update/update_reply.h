// The update query's reply: key=value lines naming the newest version and its archive. Pure
// text handling, so that it can be tested and fuzzed without Windows.
#pragma once
#include <cstdint>
#include <string>

struct UpdateReply {
    int32_t major = 0;
    int32_t minor = 0;
    std::wstring fileLocation;
    int32_t fileSize = 0;
    bool mustUpdate = false;
    // Why the reply cannot be used (the first required key missing); empty when it can.
    std::string error;
};

// Lines end at any run of CR and LF; key and value are the trimmed text around a line's first
// "=" (a line without one is a key with an empty value); the first occurrence of a key counts.
UpdateReply ParseUpdateReply(const std::wstring& text);

// Whether the offered version is newer than the running one (major.minor).
bool IsNewerVersion(int32_t major, int32_t minor, int32_t runningMajor, int32_t runningMinor);
