// New clips never take the name of an existing file.
#include <gtest/gtest.h>
#include <set>
#include "app/takes/clip_names.h"

namespace {

TEST(ClipNames, ATakenNameIsPassedOver) {
    std::tm at{};
    at.tm_year = 126;
    at.tm_mon = 11;
    at.tm_mday = 7;
    at.tm_hour = 10;
    at.tm_min = 11;
    at.tm_sec = 12;
    std::set<std::wstring> files{L"2026-12-07-10-11-12-41.mp3", L"2026-12-07-10-11-12-42.mp3",
                                 L"2026-12-07-10-11-12-999.mp3", L"2026-12-07-10-11-12.mp3"};
    const NameTaken taken = [&files](const std::wstring& name) { return files.count(name) != 0; };

    EXPECT_EQ(FreeRecordingFileName(at, 40, taken), L"2026-12-07-10-11-12-40.mp3");
    EXPECT_EQ(FreeRecordingFileName(at, 41, taken), L"2026-12-07-10-11-12-43.mp3");
    EXPECT_EQ(FreeRecordingFileName(at, 999, taken), L"2026-12-07-10-11-12-0.mp3");
    EXPECT_EQ(FreeJoinedFileName(at, taken), L"2026-12-07-10-11-12 (2).mp3");
    files.insert(L"2026-12-07-10-11-12 (2).mp3");
    EXPECT_EQ(FreeJoinedFileName(at, taken), L"2026-12-07-10-11-12 (3).mp3");

    // Every number of that second in use: the name still is a new one.
    for (int n = 0; n < 1000; ++n) files.insert(RecordingFileName(at, n));
    EXPECT_EQ(FreeRecordingFileName(at, 500, taken), L"2026-12-07-10-11-12-1000.mp3");
}

}  // namespace
