// The archive's signature against a key: what the service signed passes; whatever a hostile
// network in between could send instead is refused before anything is unpacked.
#include <gtest/gtest.h>
#include <sodium.h>
#include "service/update/update_signature.h"

namespace {

class ArchiveSignatureTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_GE(sodium_init(), 0);
        uint8_t seed[crypto_sign_SEEDBYTES] = {7};
        crypto_sign_seed_keypair(m_key, m_secret, seed);
        for (int i = 0; i < 100000; ++i) m_archive.push_back(static_cast<char>(i * 7919 >> 3));
    }
    std::wstring Sign(const std::string& bytes, const uint8_t* secret = nullptr) const {
        uint8_t signature[crypto_sign_BYTES];
        crypto_sign_detached(signature, nullptr, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                             secret != nullptr ? secret : m_secret);
        char text[sodium_base64_ENCODED_LEN(crypto_sign_BYTES, sodium_base64_VARIANT_ORIGINAL)];
        sodium_bin2base64(text, sizeof text, signature, sizeof signature, sodium_base64_VARIANT_ORIGINAL);
        return std::wstring(text, text + strlen(text));
    }
    ArchiveSignature Check(const std::optional<std::wstring>& signature) const {
        return CheckArchiveSignature(m_key, signature, m_archive);
    }

    uint8_t m_key[crypto_sign_PUBLICKEYBYTES];
    uint8_t m_secret[crypto_sign_SECRETKEYBYTES];
    std::string m_archive;
};

}  // namespace

TEST_F(ArchiveSignatureTest, OnlyTheServiceSignatureOfTheseExactBytesPasses) {
    EXPECT_EQ(ArchiveSignature::Verified, Check(Sign(m_archive)));

    std::wstring flipped = Sign(m_archive);
    flipped[10] = flipped[10] == L'A' ? L'B' : L'A';
    EXPECT_EQ(ArchiveSignature::Wrong, Check(flipped));

    std::string other = m_archive;
    other[50000] ^= 1;
    EXPECT_EQ(ArchiveSignature::Wrong, Check(Sign(other))) << "the signature of another archive";
    // Bytes appended to a signed archive: a ZIP reader starts from the end, so they could
    // carry entries of their own.
    EXPECT_EQ(ArchiveSignature::Wrong, Check(Sign(m_archive.substr(0, m_archive.size() - 22))))
        << "the signature of a truncated archive";
    EXPECT_EQ(ArchiveSignature::Wrong, CheckArchiveSignature(m_key, Sign(m_archive), m_archive.substr(0, 99999)))
        << "a download cut short";

    uint8_t otherKey[crypto_sign_PUBLICKEYBYTES], otherSecret[crypto_sign_SECRETKEYBYTES];
    crypto_sign_keypair(otherKey, otherSecret);
    EXPECT_EQ(ArchiveSignature::Wrong, Check(Sign(m_archive, otherSecret))) << "signed by someone else";
}

TEST_F(ArchiveSignatureTest, AMissingOrMalformedSignatureIsRefused) {
    EXPECT_EQ(ArchiveSignature::Missing, Check(std::nullopt));
    const std::wstring good = Sign(m_archive);
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
        EXPECT_EQ(ArchiveSignature::Malformed, Check(text)) << std::string(text.begin(), text.end());
}

TEST_F(ArchiveSignatureTest, WithoutAKeyNothingIsVerifiedOrRefused) {
    for (const std::optional<std::wstring>& signature :
         {std::optional<std::wstring>(), std::optional<std::wstring>(L"garbage"),
          std::optional<std::wstring>(Sign(m_archive))})
        EXPECT_EQ(ArchiveSignature::NoKey, CheckArchiveSignature(nullptr, signature, m_archive));
}
