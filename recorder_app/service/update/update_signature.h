// Whether an update archive is what the service signed: the Ed25519 signature that the update
// query's reply carries, over the archive's exact bytes, checked with the service's public key
// built into the program. No Windows here, so that it can be tested without the program.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

constexpr size_t kUpdateKeyBytes = 32;

enum class ArchiveSignature {
    Verified,     // signed with the key
    NoKey,        // the program has no key: the archive is taken unverified
    Missing,      // the reply carried no signature
    Malformed,    // not the base64 of 64 bytes
    Wrong,        // not a signature of these bytes with this key
};

// key: the 32-byte public key, or null for a program built without one. signature: the
// reply's "signature" value (standard base64 with padding), or none when the reply had none.
ArchiveSignature CheckArchiveSignature(const uint8_t* key, const std::optional<std::wstring>& signature,
                                       const std::string& archive);
