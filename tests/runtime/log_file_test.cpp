#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <thread>
#include <vector>
#include "runtime/log_file.h"

namespace {

class LogFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path = std::wstring(temp) + L"qb-log-test-" + std::to_wstring(GetCurrentProcessId()) + L".log";
    }
    void TearDown() override { DeleteFileW(path.c_str()); }

    std::wstring Contents() const {
        std::wstring text;
        if (FILE* f = _wfopen(path.c_str(), L"rb")) {
            wchar_t c;
            while (fread(&c, sizeof c, 1, f) == 1) text.push_back(c);
            fclose(f);
        }
        return text;
    }

    std::wstring path;
};

TEST_F(LogFileTest, WritesUtf16LinesEndingInBareLineFeed) {
    CLogFile log;
    ASSERT_TRUE(log.Open(path));
    log.Print(L"Application directory: %s", L"C:\\Apps\\Rec\\");
    log.Print(L"%d %u %s", -5, 4000000000u, L"\x00e9t\x00e9");
    EXPECT_EQ(Contents(), L"Application directory: C:\\Apps\\Rec\\\n-5 4000000000 \x00e9t\x00e9\n");
}

TEST_F(LogFileTest, EachLineIsOnDiskAsSoonAsItIsPrinted) {
    CLogFile log;
    ASSERT_TRUE(log.Open(path));
    log.Print(L"first");
    EXPECT_EQ(Contents(), L"first\n");
}

TEST_F(LogFileTest, OpeningTruncatesAndAnEmptyMessageWritesNothing) {
    {
        CLogFile log;
        ASSERT_TRUE(log.Open(path));
        log.Print(L"from the previous run");
    }
    CLogFile log;
    ASSERT_TRUE(log.Open(path));
    log.Print(L"");
    log.Print(L"%s", L"");
    log.Print(L"new");
    EXPECT_EQ(Contents(), L"new\n");
}

TEST_F(LogFileTest, OverlongMessageIsCutToTheBufferAndTheLogGoesOn) {
    CLogFile log;
    ASSERT_TRUE(log.Open(path));
    const std::wstring huge(10000, L'x');
    log.Print(L"%s", huge.c_str());
    const std::wstring exact(CLogFile::kBufferChars - 2, L'y');  // fits with its line feed
    log.Print(L"%s", exact.c_str());
    log.Print(L"after");
    const std::wstring text = Contents();
    EXPECT_EQ(text, std::wstring(CLogFile::kBufferChars - 2, L'x') + L"\n" + exact + L"\nafter\n");
}

TEST_F(LogFileTest, ClosedLogIgnoresPrint) {
    CLogFile log;
    EXPECT_FALSE(log.Open(L"Z:\\no such folder\\at all\\x.log"));
    log.Print(L"nothing");  // must not crash
    EXPECT_FALSE(log.IsOpen());
}

TEST_F(LogFileTest, LinesFromSeveralThreadsNeverMix) {
    CLogFile log;
    ASSERT_TRUE(log.Open(path));
    constexpr int kThreads = 4, kLines = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&log, t] {
            const std::wstring body(50 + t * 20, static_cast<wchar_t>(L'a' + t));
            for (int i = 0; i < kLines; ++i) log.Print(L"%d:%s", t, body.c_str());
        });
    for (auto& thread : threads) thread.join();
    const std::wstring text = Contents();
    size_t start = 0, count = 0;
    for (size_t lf; (lf = text.find(L'\n', start)) != std::wstring::npos; start = lf + 1, ++count) {
        const std::wstring line = text.substr(start, lf - start);
        const int t = line[0] - L'0';
        ASSERT_TRUE(t >= 0 && t < kThreads) << count;
        EXPECT_EQ(line.substr(2), std::wstring(50 + t * 20, static_cast<wchar_t>(L'a' + t)));
    }
    EXPECT_EQ(count, static_cast<size_t>(kThreads * kLines));
}

}  // namespace
