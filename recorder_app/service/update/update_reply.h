// The update query's reply: key=value lines naming the newest version and its archive. Pure
// text handling, so that it can be tested and fuzzed without Windows.
//
// The archive comes over plain HTTP, so the reply carries the service's Ed25519 signature of
// the offered version and the archive together, under the key "update_signature" (standard
// base64 of the 64-byte signature). The signed message is
//     V, the byte 0x0A (line feed), H
// where V is the value of "current_version" exactly as this program reads it (the text after
// the line's first "=" without its leading and trailing spaces, tabs, vertical tabs and form
// feeds; printable ASCII only, any other character is refused) and H is the 64-byte SHA-512
// of the archive's exact bytes. No value can hold a line feed, since lines end at it, and H
// has a fixed length: one message names one version and one archive. Signed this way, an
// older archive cannot be offered under a newer version's number. The key "signature" (the
// archive's bytes alone) is what programs installed before this check read; this program
// ignores it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

// The offered version as the reply gave it, and the signature that binds it to the archive.
struct SignedOffer {
    std::wstring version;                   // "current_version", trimmed
    std::optional<std::wstring> signature;  // "update_signature", when the reply had one
};

struct UpdateReply {
    int32_t major = 0;
    int32_t minor = 0;
    std::wstring fileLocation;
    int32_t fileSize = 0;
    bool mustUpdate = false;
    SignedOffer offer;
    // Why the reply cannot be used (the first required key missing); empty when it can.
    std::string error;
};

// Lines end at any run of CR and LF; key and value are the trimmed text around a line's first
// "=" (a line without one is a key with an empty value); the first occurrence of a key counts.
UpdateReply ParseUpdateReply(const std::wstring& text);

// A version's text read as major.minor: split at its first "."; each part's leading decimal
// digits (0 if none), the minor part 0 without a ".".
void ReadVersion(const std::wstring& text, int32_t* major, int32_t* minor);

// Whether the offered version is newer than the running one (major.minor).
bool IsNewerVersion(int32_t major, int32_t minor, int32_t runningMajor, int32_t runningMinor);
