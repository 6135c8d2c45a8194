#include "update_signature.h"
#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <vector>
#include "base64.h"

namespace {

constexpr size_t kSignatureBytes = 64;

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

}  // namespace

ArchiveSignature CheckArchiveSignature(const uint8_t* key, const std::optional<std::wstring>& signature,
                                       const std::string& archive) {
    if (key == nullptr) return ArchiveSignature::NoKey;
    if (!signature) return ArchiveSignature::Missing;
    std::vector<uint8_t> bytes;
    if (!DecodeBase64(Narrow(*signature), &bytes) || bytes.size() != kSignatureBytes)
        return ArchiveSignature::Malformed;
    // Safe to call again and from any thread. No configuration file is read: one that another
    // user could place would otherwise decide how archives are checked. No clean-up at exit:
    // a download worker may still be checking when the program ends, and the system takes
    // the memory back anyway.
    if (OPENSSL_init_crypto(OPENSSL_INIT_NO_LOAD_CONFIG | OPENSSL_INIT_NO_ATEXIT, nullptr) != 1) return ArchiveSignature::Wrong;
    bool verified = false;
    EVP_PKEY* publicKey = EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, key, kUpdateKeyBytes);
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    if (publicKey != nullptr && context != nullptr &&
        EVP_DigestVerifyInit(context, nullptr, nullptr, nullptr, publicKey) == 1) {
        verified = EVP_DigestVerify(context, bytes.data(), bytes.size(),
                                    reinterpret_cast<const unsigned char*>(archive.data()), archive.size()) == 1;
    }
    EVP_MD_CTX_free(context);
    EVP_PKEY_free(publicKey);
    // The reasons of a refusal stay in this thread's queue otherwise; the thread may be a
    // download worker about to end.
    ERR_clear_error();
    return verified ? ArchiveSignature::Verified : ArchiveSignature::Wrong;
}
