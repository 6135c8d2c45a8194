// The update's signature against a key: what the service signed (this version with these
// bytes) passes; whatever a hostile network in between could send instead is refused before
// anything is unpacked. The tests sign with libsodium, as the service would, never with the
// program's code.
#include <gtest/gtest.h>
#include <sodium.h>
#include "service/update/update_signature.h"

namespace {

constexpr int32_t kRunningMajor = 2, kRunningMinor = 8;

class UpdateSignatureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GE(sodium_init(), 0);
        uint8_t seed[crypto_sign_SEEDBYTES] = {7};
        crypto_sign_seed_keypair(m_key, m_secret, seed);
        for (int i = 0; i < 100000; ++i) m_archive.push_back(static_cast<char>(i * 7919 >> 3));
    }
    // The service's signature: of the version, a line feed and the archive's SHA-512.
    std::wstring Sign(const std::string& version, const std::string& bytes, const uint8_t* secret = nullptr) const {
        unsigned char digest[crypto_hash_sha512_BYTES];
        crypto_hash_sha512(digest, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
        return SignBytes(version + "\n" + std::string(reinterpret_cast<const char*>(digest), sizeof digest), secret);
    }
    std::wstring SignBytes(const std::string& message, const uint8_t* secret = nullptr) const {
        uint8_t signature[crypto_sign_BYTES];
        crypto_sign_detached(signature, nullptr, reinterpret_cast<const unsigned char*>(message.data()),
                             message.size(), secret != nullptr ? secret : m_secret);
        char text[sodium_base64_ENCODED_LEN(crypto_sign_BYTES, sodium_base64_VARIANT_ORIGINAL)];
        sodium_bin2base64(text, sizeof text, signature, sizeof signature, sodium_base64_VARIANT_ORIGINAL);
        return std::wstring(text, text + strlen(text));
    }
    UpdateSignature Check(const std::wstring& version, const std::optional<std::wstring>& signature,
                          const std::string& archive) const {
        return CheckUpdateSignature(m_key, SignedOffer{version, signature}, archive, kRunningMajor, kRunningMinor);
    }
    UpdateSignature Check(const std::optional<std::wstring>& signature) const {
        return Check(L"2.9", signature, m_archive);
    }

    uint8_t m_key[crypto_sign_PUBLICKEYBYTES];
    uint8_t m_secret[crypto_sign_SECRETKEYBYTES];
    std::string m_archive;
};

}  // namespace

TEST_F(UpdateSignatureTest, OnlyTheServiceSignatureOfTheseExactBytesPasses) {
    EXPECT_EQ(UpdateSignature::Verified, Check(Sign("2.9", m_archive)));

    std::wstring flipped = Sign("2.9", m_archive);
    flipped[10] = flipped[10] == L'A' ? L'B' : L'A';
    EXPECT_EQ(UpdateSignature::Wrong, Check(flipped));

    std::string other = m_archive;
    other[50000] ^= 1;
    EXPECT_EQ(UpdateSignature::Wrong, Check(Sign("2.9", other))) << "the signature of another archive";
    // Bytes appended to a signed archive: a ZIP reader starts from the end, so they could
    // carry entries of their own.
    EXPECT_EQ(UpdateSignature::Wrong, Check(Sign("2.9", m_archive.substr(0, m_archive.size() - 22))))
        << "the signature of a truncated archive";
    EXPECT_EQ(UpdateSignature::Wrong, Check(L"2.9", Sign("2.9", m_archive), m_archive.substr(0, 99999)))
        << "a download cut short";

    uint8_t otherKey[crypto_sign_PUBLICKEYBYTES], otherSecret[crypto_sign_SECRETKEYBYTES];
    crypto_sign_keypair(otherKey, otherSecret);
    EXPECT_EQ(UpdateSignature::Wrong, Check(Sign("2.9", m_archive, otherSecret))) << "signed by someone else";
}

// An older archive that the service once signed, offered as a newer version, would put back
// what that version fixed.
TEST_F(UpdateSignatureTest, TheSignedVersionMustBeTheOfferedOneAsWritten) {
    EXPECT_EQ(UpdateSignature::Wrong, Check(Sign("2.7", m_archive))) << "signed as 2.7, offered as 2.9";
    EXPECT_EQ(UpdateSignature::Wrong, Check(L"2.09", Sign("2.9", m_archive), m_archive))
        << "the same number, written otherwise";
    EXPECT_EQ(UpdateSignature::Wrong, Check(SignBytes(m_archive))) << "the archive alone, as \"signature\" signs it";
    EXPECT_EQ(UpdateSignature::Wrong, Check(L"2.9\u00e9", Sign("2.9\xc3\xa9", m_archive), m_archive))
        << "a version outside ASCII";
}

TEST_F(UpdateSignatureTest, AVersionNotNewerThanTheRunningOneIsRefusedHoweverWellSigned) {
    for (const char* version : {"2.8", "2.08", "1.99", "2", "x.9"}) {
        const std::wstring wide(version, version + strlen(version));
        EXPECT_EQ(UpdateSignature::NotNewer, Check(wide, Sign(version, m_archive), m_archive)) << version;
    }
    EXPECT_EQ(UpdateSignature::Verified, Check(L"3", Sign("3", m_archive), m_archive));
    EXPECT_EQ(UpdateSignature::Verified, Check(L"2.10", Sign("2.10", m_archive), m_archive));
}

TEST_F(UpdateSignatureTest, AMissingOrMalformedSignatureIsRefused) {
    EXPECT_EQ(UpdateSignature::Missing, Check(std::nullopt));
    const std::wstring good = Sign("2.9", m_archive);
    const std::wstring malformed[] = {
        L"",
        L"not base64 at all!",
        good.substr(0, good.size() - 2),       // the padding cut off
        good.substr(4),                        // 61 bytes
        good + L"AAAA",                        // padding before more text
        good.substr(0, 40) + L"\r\n" + good.substr(40),
        good.substr(0, 40) + L"\u00e9" + good.substr(41),
    };
    for (const std::wstring& text : malformed)
        EXPECT_EQ(UpdateSignature::Malformed, Check(text)) << std::string(text.begin(), text.end());
}

TEST_F(UpdateSignatureTest, WithoutAKeyNothingIsVerifiedOrRefused) {
    for (const std::optional<std::wstring>& signature :
         {std::optional<std::wstring>(), std::optional<std::wstring>(L"garbage"),
          std::optional<std::wstring>(Sign("2.9", m_archive))})
        EXPECT_EQ(UpdateSignature::NoKey,
                  CheckUpdateSignature(nullptr, SignedOffer{L"2.9", signature}, m_archive, kRunningMajor, kRunningMinor));
}
