#include "update_signature.h"
#include <sodium.h>
#include <vector>
#include "base64.h"

namespace {

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
    if (!DecodeBase64(Narrow(*signature), &bytes) || bytes.size() != crypto_sign_BYTES)
        return ArchiveSignature::Malformed;
    // Safe to call again and from any thread; it picks the library's implementations.
    if (sodium_init() < 0) return ArchiveSignature::Wrong;
    const int result = crypto_sign_verify_detached(bytes.data(), reinterpret_cast<const unsigned char*>(archive.data()),
                                                   archive.size(), key);
    return result == 0 ? ArchiveSignature::Verified : ArchiveSignature::Wrong;
}
