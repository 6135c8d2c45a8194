// A program built without the service's key (QB_UPDATE_KEY=none): this test program is built
// from the same check without one. The archive is taken whatever the reply says about its
// signature, and each check logs once that it was not verified.
#include <gtest/gtest.h>
#include "service/update/update_key.h"
#include "service/update/update_verify.h"
#include "verify_log.h"

TEST(UpdateWithoutKey, ArchivesAreTakenUnverifiedAndTheLogSaysSo) {
    ASSERT_EQ(nullptr, BuiltInUpdateKey());
    const std::string archive = ReadFileBytes(ArchivePath(L"update.zip"));
    VerifyLog log;
    EXPECT_NO_THROW(VerifyUpdateArchive(archive, SignedOffer{L"2.9", std::nullopt}));
    EXPECT_NO_THROW(VerifyUpdateArchive(archive, SignedOffer{L"2.9", L"not a signature"}));
    const std::wstring line = L"Update archive not verified: this program was built without the service's public key";
    EXPECT_EQ(std::vector<std::wstring>({line, line}), log.Lines());
}
