// The 20 ms peaks: blocks on the clock's grid at any rate, a series begun mid-clip, and
// gains that keep full scale and silence in range.
#include <gtest/gtest.h>

#include <vector>

#include "audio/levels/level_series.h"

using namespace levels;

TEST(PeakMeter, BlocksFollowTheClockAtAnyRateFromAnyBlockAndGainsStayInRange) {
    // 11025 Hz: 220.5 samples a block, so blocks alternate between 220 and 221 samples.
    constexpr uint32_t kRate = 11025;
    std::vector<int16_t> pcm(BlockStartSample(10, kRate) + 100, 0);
    pcm[BlockStartSample(3, kRate)] = 16384;         // first sample of block 3: -6 dB
    pcm[BlockStartSample(7, kRate) - 1] = -32768;    // last sample of block 6: full scale
    pcm[BlockStartSample(10, kRate) + 50] = 1000;    // in the partial block at the end
    PeakMeter meter;
    meter.Start(kRate, 1, 0);
    Codes codes;
    for (size_t at = 0; at < pcm.size(); at += 97) meter.Feed(&pcm[at], std::min<size_t>(97, pcm.size() - at), codes);
    ASSERT_EQ(codes.size(), 10u);  // the partial block waits for Finish
    meter.Finish(codes);
    ASSERT_EQ(codes.size(), 11u);
    EXPECT_EQ(codes[3], CodeOfPeak(16384));
    EXPECT_EQ(codes[6], 0);
    EXPECT_EQ(codes[10], CodeOfPeak(1000));
    for (int quiet : {0, 1, 2, 4, 5, 7, 8, 9}) EXPECT_EQ(codes[quiet], kSilent) << quiet;
    EXPECT_NEAR(DbOfCode(codes[3]), -6.02, 0.5);
    EXPECT_EQ(LoudestIn(codes, 0, 200), 0);         // blocks 0 to 9
    EXPECT_EQ(LoudestIn(codes, 200, 240), kUnknown);  // block 11 was never measured

    // A stereo series begun mid-clip leaves the blocks before it unknown.
    std::vector<int16_t> stereo(2 * 960 * 2, 0);
    stereo[2 * 960 + 1] = -8192;  // the second channel of block 6's first frame, at 48 kHz
    meter.Start(48000, 2, 5);
    codes.clear();
    meter.Feed(stereo.data(), stereo.size() / 2, codes);
    ASSERT_EQ(codes.size(), 7u);
    for (int before = 0; before < 5; ++before) EXPECT_EQ(codes[before], kUnknown);
    EXPECT_EQ(codes[5], kSilent);
    EXPECT_EQ(codes[6], CodeOfPeak(8192));
    EXPECT_EQ(LoudestIn(codes, 60, 140), kUnknown);
    EXPECT_EQ(LoudestIn(codes, 100, 140), codes[6]);

    Shift(codes, 20.0);  // louder than full scale stays at full scale; unknown and silence stay
    EXPECT_EQ(codes[6], 0);
    EXPECT_EQ(codes[5], kSilent);
    EXPECT_EQ(codes[0], kUnknown);
}
