// The program's own check, with the key it was built with: a refused update is a failure
// that the log names, before the download step goes on to write anything.
#include <gtest/gtest.h>
#include <stdexcept>
#include "service/update/update_key.h"
#include "service/update/update_verify.h"
#include "verify_log.h"

TEST(UpdateVerify, WithTheBuiltInKeyAnUnsignedOrMalformedOrOlderUpdateIsRefusedAndLogged) {
    if (BuiltInUpdateKey() == nullptr) GTEST_SKIP() << "built without a key (QB_UPDATE_KEY=none)";
    const std::string archive = ReadFileBytes(ArchivePath(L"update.zip"));
    ASSERT_FALSE(archive.empty());
    // 64 bytes, but no signature of the service's.
    const std::wstring unsigned64 = std::wstring(86, L'A') + L"==";
    VerifyLog log;
    EXPECT_THROW(VerifyUpdateArchive(archive, SignedOffer{L"2.9", std::nullopt}), std::runtime_error);
    EXPECT_THROW(VerifyUpdateArchive(archive, SignedOffer{L"2.9", L"a2V5"}), std::runtime_error);
    EXPECT_THROW(VerifyUpdateArchive(archive, SignedOffer{L"2.8", unsigned64}), std::runtime_error);
    EXPECT_THROW(VerifyUpdateArchive(archive, SignedOffer{L"2.9", unsigned64}), std::runtime_error);
    const std::vector<std::wstring> expected = {
        L"!!! Update refused: the service sent no signature for the archive",
        L"!!! Update refused: the archive's signature is malformed",
        L"!!! Update refused: version 2.8 is not newer than this program's 2.08",
        L"!!! Update refused: the signature does not match the offered version and archive",
    };
    EXPECT_EQ(expected, log.Lines());
}
