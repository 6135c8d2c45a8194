#include <gtest/gtest.h>
#include <windows.h>
#include <zlib.h>
#include <atomic>
#include <cstdlib>
#include <vector>
#include "service/update/unpack.h"
#include "update_test_support.h"

namespace {

DWORD Attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

FILETIME WriteTime(const std::wstring& path, FILETIME* created = nullptr, FILETIME* accessed = nullptr) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    if (created) *created = data.ftCreationTime;
    if (accessed) *accessed = data.ftLastAccessTime;
    return data.ftLastWriteTime;
}

FILETIME Utc(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second) {
    SYSTEMTIME time{year, month, 0, day, hour, minute, second, 0};
    FILETIME file{};
    SystemTimeToFileTime(&time, &file);
    return file;
}

bool Same(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

}  // namespace

TEST(Unpack, FoldersNestedFilesAttributesAndTimes) {
    const std::wstring base = FreshFolder(L"layout");
    const UnpackSummary summary = UnpackArchive(ArchivePath(L"layout.zip"), base);
    EXPECT_EQ(9, summary.entries);
    EXPECT_EQ(9, summary.written);

    EXPECT_EQ("nested\n", ReadFileBytes(base + L"\\docs\\sub\\readme.txt"));
    const std::string big = ReadFileBytes(base + L"\\big.bin");
    ASSERT_EQ(100000u, big.size());
    const unsigned long expected = std::strtoul(ReadFileBytes(ArchivePath(L"layout.crc")).c_str(), nullptr, 16);
    EXPECT_EQ(expected, crc32(0, reinterpret_cast<const Bytef*>(big.data()), static_cast<uInt>(big.size())));

    const DWORD kept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY;
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_READONLY), Attributes(base + L"\\dos_readonly.txt") & kept);
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_HIDDEN), Attributes(base + L"\\dos_hidden.txt") & kept);
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_DIRECTORY), Attributes(base + L"\\dos_folder") & kept);
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_READONLY), Attributes(base + L"\\unix_readonly.txt") & kept);
    EXPECT_EQ(0u, Attributes(base + L"\\big.bin") & kept);
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_DIRECTORY), Attributes(base + L"\\unix_folder") & kept);
    EXPECT_EQ(DWORD(FILE_ATTRIBUTE_DIRECTORY), Attributes(base + L"\\docs") & kept);

    // The test runs with TZ=Asia/Kolkata (UTC+5:30, no daylight saving): the entry's
    // 2020-05-17 10:30:42 is local time.
    EXPECT_TRUE(Same(Utc(2020, 5, 17, 5, 0, 42), WriteTime(base + L"\\docs\\sub\\readme.txt")));
    // The creation time (1500000000) is set too, but Wine cannot store one on a Linux file
    // system, so it is not checked here.
    FILETIME accessed{};
    const FILETIME modified = WriteTime(base + L"\\stamped.txt", nullptr, &accessed);
    EXPECT_TRUE(Same(Utc(2020, 9, 13, 12, 26, 40), modified));   // Unix time 1600000000
    EXPECT_TRUE(Same(Utc(2020, 9, 13, 12, 28, 20), accessed));   // 1600000100

    // A second run replaces the files, read-only and hidden ones included.
    const UnpackSummary again = UnpackArchive(ArchivePath(L"layout.zip"), base);
    EXPECT_EQ(9, again.written);
    EXPECT_EQ(0, again.failed);
}

TEST(Unpack, ANameHeldTwiceIsReplacedAndNoFileStaysOpen) {
    const std::wstring base = FreshFolder(L"twice");
    const UnpackSummary summary = UnpackArchive(ArchivePath(L"twice.zip"), base);
    EXPECT_TRUE(summary.Complete());
    EXPECT_EQ((std::vector<std::wstring>{L"same.txt", L"last.txt"}), summary.files);
    // The first file, read-only, may still have been open when the second came.
    EXPECT_EQ("second\n", ReadFileBytes(base + L"\\same.txt"));
    EXPECT_EQ(0u, Attributes(base + L"\\same.txt") & FILE_ATTRIBUTE_READONLY);
    // Files are closed off the unpacking thread, but all of them before it returns.
    for (const wchar_t* name : {L"same.txt", L"last.txt"}) {
        HANDLE alone = CreateFileW((base + L"\\" + name).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, alone) << GetLastError();
        CloseHandle(alone);
    }
}

TEST(Unpack, ADamagedEntryLeavesTheOthersButNoHalfOfItself) {
    const std::wstring base = FreshFolder(L"damaged");
    const UnpackSummary summary = UnpackArchive(ArchivePath(L"damaged.zip"), base);
    std::string first, third;
    for (int i = 0; i < 1000; ++i) first += "first\n", third += "third\n";
    EXPECT_EQ(first, ReadFileBytes(base + L"\\first.txt"));
    EXPECT_EQ(third, ReadFileBytes(base + L"\\third.txt"));
    EXPECT_FALSE(Exists(base + L"\\second.txt"));
    EXPECT_FALSE(summary.Complete());
    EXPECT_EQ((std::vector<std::wstring>{L"first.txt", L"third.txt"}), summary.files);
}

TEST(Unpack, OnlyAWholeArchiveOfAtLeastOneEntryIsComplete) {
    const std::wstring layout = FreshFolder(L"whole");
    const UnpackSummary whole = UnpackArchive(ArchivePath(L"layout.zip"), layout);
    EXPECT_TRUE(whole.Complete());
    EXPECT_EQ((std::vector<std::wstring>{L"docs\\sub\\readme.txt", L"big.bin", L"dos_readonly.txt", L"dos_hidden.txt",
                                         L"unix_readonly.txt", L"stamped.txt"}),
              whole.files);

    // A stored entry whose data no longer matches its checksum: inflating cannot notice.
    const std::wstring crc = FreshFolder(L"crc");
    const UnpackSummary damaged = UnpackArchive(ArchivePath(L"crc.zip"), crc);
    EXPECT_FALSE(damaged.Complete());
    EXPECT_EQ(1, damaged.failed);
    EXPECT_EQ("whole\n", ReadFileBytes(crc + L"\\whole.txt"));
    EXPECT_FALSE(Exists(crc + L"\\bad.txt"));

    const std::wstring page = FreshFolder(L"page");
    WriteFileBytes(page + L"\\update.zip", "<html><body>Service unavailable</body></html>");
    for (const std::wstring& archive : {ArchivePath(L"empty.zip"), ArchivePath(L"truncated.zip"), page + L"\\update.zip"}) {
        const std::wstring base = FreshFolder(L"nothing");
        const UnpackSummary nothing = UnpackArchive(archive, base);
        EXPECT_FALSE(nothing.Complete());
        EXPECT_EQ(0, CountEntries(base));
    }
}

TEST(Unpack, ACancelBeforeAnEntryStopsTheUnpacking) {
    const std::wstring base = FreshFolder(L"cancelled");
    const std::atomic<bool> cancelled{true};
    const UnpackSummary summary = UnpackArchive(ArchivePath(L"layout.zip"), base, &cancelled);
    EXPECT_TRUE(summary.cancelled);
    EXPECT_FALSE(summary.Complete());
    EXPECT_EQ(0, CountEntries(base));
}

TEST(Unpack, NamesThatTryToEscapeAreRefused) {
    const std::wstring outer = FreshFolder(L"escape");
    const std::wstring base = outer + L"\\updates";
    CreateDirectoryW(base.c_str(), nullptr);
    const UnpackSummary summary = UnpackArchive(ArchivePath(L"escape.zip"), base);
    EXPECT_EQ(9, summary.entries);
    EXPECT_EQ(7, summary.refused);  // a name too long to read whole is refused, not cut
    EXPECT_EQ(1, CountEntries(outer));  // only "updates"
    EXPECT_EQ("escape", ReadFileBytes(base + L"\\x\\drive.txt"));
    EXPECT_EQ("escape", ReadFileBytes(base + L"\\evil.exe"));
    EXPECT_EQ(2, CountEntries(base));
}

TEST(Unpack, NoArchiveUnpacksNothing) {
    const std::wstring base = FreshFolder(L"missing");
    const UnpackSummary summary = UnpackArchive(base + L"\\none.zip", base);
    EXPECT_EQ(0, summary.entries);
    EXPECT_EQ(0, CountEntries(base));
}

// An update that does not go ahead takes back what it unpacked, read-only files and nested
// folders included, and only that: what was there before stays.
TEST(Unpack, RemovingTakesBackWhatTheUnpackingMadeAndLeavesWhatWasThere) {
    const std::wstring base = FreshFolder(L"removed");
    CreateDirectoryW((base + L"\\docs").c_str(), nullptr);
    WriteFileBytes(base + L"\\docs\\mine.txt", "mine");
    WriteFileBytes(base + L"\\big.bin", "older");
    const UnpackSummary summary = UnpackArchive(ArchivePath(L"layout.zip"), base);
    ASSERT_TRUE(summary.Complete());
    RemoveUnpacked(base, summary);
    EXPECT_EQ(2, CountEntries(base));
    EXPECT_TRUE(Exists(base + L"\\big.bin"));
    EXPECT_EQ(1, CountEntries(base + L"\\docs"));
    EXPECT_EQ("mine", ReadFileBytes(base + L"\\docs\\mine.txt"));
}
