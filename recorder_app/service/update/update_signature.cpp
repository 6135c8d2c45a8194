#include "update_signature.h"
// The low-level SHA-512 calls are deprecated in OpenSSL 3 in favour of EVP, whose providers
// would bring every algorithm into the program; these two are all the check needs.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/sha.h>
#include <vector>
#include "base64.h"

// libcrypto's own Ed25519 verification (crypto/ec/curve25519.c), which the public EVP calls
// wrap; built by scripts/build-deps to hash with SHA512_* rather than through the providers.
// The library context and property query are unused there.
extern "C" int ossl_ed25519_verify(const uint8_t* message, size_t message_len, const uint8_t signature[64],
                                   const uint8_t public_key[32], void* libctx, const char* propq);
// Finds which of the SHA-512 assembly's paths (SSE2, SSSE3, AVX) the processor has; until it
// runs, the plain x86 one, several times slower, is taken. Calling it again does nothing.
extern "C" void OPENSSL_cpuid_setup(void);

namespace {

constexpr size_t kSignatureBytes = 64;
constexpr size_t kArchiveDigestBytes = 64;  // SHA-512
// Between the version and the archive's digest in the signed message; no reply value holds it.
constexpr char kVersionEnd = '\n';

// The value as bytes; anything outside ASCII can be no base64 and leaves it empty.
std::string Narrow(const std::wstring& text) {
    std::string narrow;
    narrow.reserve(text.size());
    for (wchar_t c : text) {
        if (c <= 0 || c > 0x7F) return std::string();
        narrow.push_back(static_cast<char>(c));
    }
    return narrow;
}

// The version's bytes as the service signs them: printable ASCII only. False for any other
// text, which no signature of the service's can cover.
bool VersionBytes(const std::wstring& version, std::string* bytes) {
    for (wchar_t c : version) {
        if (c < 0x20 || c > 0x7E) return false;
        bytes->push_back(static_cast<char>(c));
    }
    return true;
}

// The signed message: the version, its end mark, the archive's SHA-512. Hashing the archive
// first, rather than signing its bytes after the version, reads it once and never copies it.
bool SignedMessage(const std::wstring& version, const std::string& archive, std::string* message) {
    if (!VersionBytes(version, message)) return false;
    message->push_back(kVersionEnd);
    static_assert(SHA512_DIGEST_LENGTH == kArchiveDigestBytes, "the signed digest is SHA-512's");
    unsigned char digest[kArchiveDigestBytes];
    SHA512_CTX context;
    if (SHA512_Init(&context) != 1 || SHA512_Update(&context, archive.data(), archive.size()) != 1 ||
        SHA512_Final(digest, &context) != 1)
        return false;
    message->append(reinterpret_cast<const char*>(digest), kArchiveDigestBytes);
    return true;
}

bool VerifiedWith(const uint8_t* key, const std::vector<uint8_t>& signature, const std::string& message) {
    return ossl_ed25519_verify(reinterpret_cast<const uint8_t*>(message.data()), message.size(), signature.data(),
                               key, nullptr, nullptr) == 1;
}

}  // namespace

UpdateSignature CheckUpdateSignature(const uint8_t* key, const SignedOffer& offer, const std::string& archive,
                                     int32_t runningMajor, int32_t runningMinor) {
    if (key == nullptr) return UpdateSignature::NoKey;
    if (!offer.signature) return UpdateSignature::Missing;
    std::vector<uint8_t> bytes;
    if (!DecodeBase64(Narrow(*offer.signature), &bytes) || bytes.size() != kSignatureBytes)
        return UpdateSignature::Malformed;
    // An older archive, however well signed, would put back what a later version fixed.
    int32_t major = 0, minor = 0;
    ReadVersion(offer.version, &major, &minor);
    if (!IsNewerVersion(major, minor, runningMajor, runningMinor)) return UpdateSignature::NotNewer;
    static const bool kProcessorKnown = (OPENSSL_cpuid_setup(), true);  // once, thread-safe
    (void)kProcessorKnown;
    std::string message;
    const bool verified = SignedMessage(offer.version, archive, &message) && VerifiedWith(key, bytes, message);
    return verified ? UpdateSignature::Verified : UpdateSignature::Wrong;
}
