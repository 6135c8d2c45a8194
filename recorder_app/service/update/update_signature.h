// Whether an update is what the service signed: the Ed25519 signature that the update query's
// reply carries over the offered version and the archive together (the message is described
// in update_reply.h), checked with the service's public key built into the program, and
// whether that version is newer than the running one. No Windows here, so that it can be
// tested without the program.
#pragma once
#include <cstdint>
#include <string>
#include "update_reply.h"

constexpr size_t kUpdateKeyBytes = 32;

enum class UpdateSignature {
    Verified,     // this version and this archive, signed with the key
    NoKey,        // the program has no key: the archive is taken unverified
    Missing,      // the reply carried no "update_signature"
    Malformed,    // not the base64 of 64 bytes
    NotNewer,     // the offered version is not newer than the running one
    Wrong,        // not a signature of this version and these bytes with this key
};

// key: the 32-byte public key, or null for a program built without one. offer: the reply's
// version and "update_signature". The archive is read once, for its SHA-512.
UpdateSignature CheckUpdateSignature(const uint8_t* key, const SignedOffer& offer, const std::string& archive,
                                     int32_t runningMajor, int32_t runningMinor);
