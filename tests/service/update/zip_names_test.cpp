#include <gtest/gtest.h>
#include "service/update/zip_names.h"

namespace {

// The relative path an entry name leads to, or "refused".
std::wstring Target(const std::string& name) {
    const std::string cleaned = CleanEntryName(name);
    std::wstring wide(cleaned.begin(), cleaned.end());
    std::wstring relative;
    const char* reason = nullptr;
    if (!EntryPathInsideBase(wide, &relative, &reason)) return L"refused";
    return relative;
}

}  // namespace

TEST(ZipNames, TheTraditionalCleaningStillApplies) {
    EXPECT_EQ(L"evil.exe", Target("../../evil.exe"));
    EXPECT_EQ(L"x\\y.txt", Target("D:\\x\\y.txt"));
    EXPECT_EQ(L"x\\y.txt", Target("//x/y.txt"));
    EXPECT_EQ(L"b\\c", Target("a\\..\\b\\c"));
    EXPECT_EQ(L"sub\\patcher.exe", Target("sub/./patcher.exe"));
    EXPECT_EQ(L"folder", Target("folder/"));
}

TEST(ZipNames, NamesThatWouldLeaveTheFolderAreRefused) {
    EXPECT_EQ(L"refused", Target("../evil.exe"));     // passes the cleaning unchanged
    EXPECT_EQ(L"refused", Target("..\\evil.exe"));
    EXPECT_EQ(L"refused", Target("a/.."));             // ends in a parent step
    EXPECT_EQ(L"refused", Target("a/../../b"));        // the cleaning leaves "../b"
    EXPECT_EQ(L"refused", Target(".."));
    EXPECT_EQ(L"refused", Target("x/C:/evil.exe"));    // a drive further in
    EXPECT_EQ(L"refused", Target("patcher.exe:stream"));
    EXPECT_EQ(L"refused", Target("a/.../b"));          // Windows drops trailing dots
    EXPECT_EQ(L"refused", Target("a/.. /b"));
    EXPECT_EQ(L"refused", Target("\\\\?\\C:\\evil.exe"));
}

TEST(ZipNames, DeviceNamesAreRefusedWhateverTheirExtension) {
    EXPECT_EQ(L"refused", Target("NUL"));
    EXPECT_EQ(L"refused", Target("sub/con.txt"));
    EXPECT_EQ(L"refused", Target("com1"));
    EXPECT_EQ(L"refused", Target("LPT9.log"));
    EXPECT_EQ(L"refused", Target("aux .x"));
    EXPECT_EQ(L"console.txt", Target("console.txt"));
    EXPECT_EQ(L"com10", Target("com10"));
}

TEST(ZipNames, TheBaseFolderItselfIsAnEmptyPath) {
    EXPECT_EQ(L"", Target("./"));
    EXPECT_EQ(L"", Target("/"));
}
