#include "update_signature.h"
#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <vector>
#include "base64.h"

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
    unsigned char digest[kArchiveDigestBytes];
    unsigned int digestBytes = 0;
    if (EVP_Digest(archive.data(), archive.size(), digest, &digestBytes, EVP_sha512(), nullptr) != 1 ||
        digestBytes != kArchiveDigestBytes)
        return false;
    message->append(reinterpret_cast<const char*>(digest), digestBytes);
    return true;
}

bool VerifiedWith(const uint8_t* key, const std::vector<uint8_t>& signature, const std::string& message) {
    bool verified = false;
    EVP_PKEY* publicKey = EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, key, kUpdateKeyBytes);
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    if (publicKey != nullptr && context != nullptr &&
        EVP_DigestVerifyInit(context, nullptr, nullptr, nullptr, publicKey) == 1) {
        verified = EVP_DigestVerify(context, signature.data(), signature.size(),
                                    reinterpret_cast<const unsigned char*>(message.data()), message.size()) == 1;
    }
    EVP_MD_CTX_free(context);
    EVP_PKEY_free(publicKey);
    return verified;
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
    // Safe to call again and from any thread. No configuration file is read: one that another
    // user could place would otherwise decide how archives are checked. No clean-up at exit:
    // a download worker may still be checking when the program ends, and the system takes
    // the memory back anyway.
    if (OPENSSL_init_crypto(OPENSSL_INIT_NO_LOAD_CONFIG | OPENSSL_INIT_NO_ATEXIT, nullptr) != 1)
        return UpdateSignature::Wrong;
    std::string message;
    const bool verified = SignedMessage(offer.version, archive, &message) && VerifiedWith(key, bytes, message);
    // The reasons of a refusal stay in this thread's queue otherwise; the thread may be a
    // download worker about to end.
    ERR_clear_error();
    return verified ? UpdateSignature::Verified : UpdateSignature::Wrong;
}
