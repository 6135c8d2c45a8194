// The program's own check, with the key it was built with: a refused archive is a failure
// that the log names, before the download step goes on to write anything.
#include <gtest/gtest.h>
#include <stdexcept>
#include "service/update/update_key.h"
#include "service/update/update_verify.h"
#include "verify_log.h"

TEST(UpdateVerify, WithTheBuiltInKeyAnUnsignedOrMalformedArchiveIsRefusedAndLogged) {
    if (BuiltInUpdateKey() == nullptr) GTEST_SKIP() << "built without a key (QB_UPDATE_KEY=none)";
    const std::string archive = ReadFileBytes(ArchivePath(L"update.zip"));
    ASSERT_FALSE(archive.empty());
    VerifyLog log;
    EXPECT_THROW(VerifyUpdateArchive(archive, std::nullopt), std::runtime_error);
    EXPECT_THROW(VerifyUpdateArchive(archive, std::wstring(L"a2V5")), std::runtime_error);
    // 64 bytes, but no signature of the service's.
    EXPECT_THROW(VerifyUpdateArchive(archive, std::wstring(86, L'A') + L"=="), std::runtime_error);
    const std::vector<std::wstring> expected = {
        L"!!! Update refused: the service sent no signature for the archive",
        L"!!! Update refused: the archive's signature is malformed",
        L"!!! Update refused: the archive's signature does not match it",
    };
    EXPECT_EQ(expected, log.Lines());
}
