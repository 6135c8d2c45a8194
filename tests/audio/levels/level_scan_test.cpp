// The scan of a clip's levels: its 200 ms columns beside ffmpeg's astats on clips of other
// rates and encoders, the wanted stretch first and only what is unknown, and a cancel that
// closes the file at once.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "audio/levels/level_scan.h"
#include "audio/reading/frame_reader.h"
#include "playback_corpus.h"

namespace {

constexpr DWORD kScanTimeoutMs = 60000;

levels::Codes UnknownFor(const std::wstring& path) {
    FrameReader reader;
    EXPECT_TRUE(reader.Open(path.c_str()));
    EXPECT_EQ(reader.ReadFrame(), FrameReader::kFrameRead);
    return levels::Codes(levels::BlocksFor(reader.Duration()), levels::kUnknown);
}

bool WaitUntilDone(const LevelScan& scan) {
    const DWORD start = GetTickCount();
    while (scan.Running()) {
        if (GetTickCount() - start > kScanTimeoutMs) return false;
        Sleep(5);
    }
    return true;
}

levels::Codes ScanWhole(const std::wstring& path) {
    LevelScan scan;
    levels::Codes codes = UnknownFor(path);
    EXPECT_TRUE(scan.Start(path, codes, 0, nullptr, 0, 0));
    EXPECT_TRUE(WaitUntilDone(scan));
    uint32_t first = 0, end = 0;
    scan.TakeResults(codes, first, end);
    return codes;
}

std::vector<double> AstatsPeaks(const std::string& clip) {
    std::vector<double> peaks;
    std::ifstream in(corpus::PathOf(clip + ".peaks").c_str());
    std::string line;
    while (std::getline(in, line)) peaks.push_back(line == "-inf" ? -200.0 : std::stod(line));
    return peaks;
}

}  // namespace

TEST(LevelScan, ColumnsAgreeWithFfmpegPeaksAtEveryRateAndEncoder) {
    for (const char* clip : {"speech44.mp3", "speech48.mp3", "speech11.mp3"}) {
        SCOPED_TRACE(clip);
        const levels::Codes codes = ScanWhole(corpus::PathOf(clip));
        const std::vector<double> peaks = AstatsPeaks(clip);
        ASSERT_GT(peaks.size(), 30u);
        int loud = 0, close = 0;
        std::string apart;  // the columns that differ, for the message
        for (size_t column = 0; column + 1 < peaks.size(); ++column) {
            const uint32_t from = static_cast<uint32_t>(column * 200);
            const uint8_t code = levels::LoudestIn(codes, from, from + 200);
            ASSERT_NE(code, levels::kUnknown) << column;
            const double ours = code == levels::kSilent ? -200.0 : levels::DbOfCode(code);
            if (peaks[column] > -60.0) {
                ++loud;
                if (std::fabs(ours - peaks[column]) <= 3.0) ++close;
                else apart += " " + std::to_string(column) + ": " + std::to_string(ours) + " vs " + std::to_string(peaks[column]);
            } else if (peaks[column] < -90.0) {
                EXPECT_LT(ours, -60.0) << "a silent column would show a bar: " << column;
            }
        }
        EXPECT_GE(close * 100, loud * 95) << close << " of " << loud << ";" << apart;
    }
}

TEST(LevelScan, MeasuresTheWantedStretchFirstOnlyWhatIsUnknownAndACancelClosesTheFile) {
    const std::wstring path = corpus::PathOf("speech44_long.mp3");
    levels::Codes codes = UnknownFor(path);
    ASSERT_GT(codes.size(), 18000u);  // over six minutes
    constexpr uint8_t kKnown = 7;  // no block of the clip is that loud
    std::fill(codes.begin(), codes.begin() + 1000, kKnown);
    const uint32_t wantedMs = 300000;  // five minutes in
    LevelScan scan;
    uint32_t first = 0, end = 0;
    // A cancel ends the scan at once: nobody holds the file, which opens without sharing.
    ASSERT_TRUE(scan.Start(path, codes, 0, nullptr, 0, 0));
    scan.Cancel();
    EXPECT_FALSE(scan.Running());
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    EXPECT_FALSE(scan.TakeResults(codes, first, end));

    ASSERT_TRUE(scan.Start(path, codes, wantedMs, nullptr, 0, 0));
    bool got = false;
    for (DWORD start = GetTickCount(); !got && GetTickCount() - start < kScanTimeoutMs;) got = scan.TakeResults(codes, first, end);
    ASSERT_TRUE(got);
    EXPECT_GE(first, levels::BlockOfMs(wantedMs));
    ASSERT_TRUE(WaitUntilDone(scan));
    scan.TakeResults(codes, first, end);
    EXPECT_EQ(std::count(codes.begin(), codes.begin() + 1000, kKnown), 1000);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), levels::kUnknown), 0);
}
