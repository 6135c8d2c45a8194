// The true peak against libebur128's own oversampling.
#include <ebur128.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>
#include "audio/loudness/true_peak.h"

namespace {

// The skipping of quiet stretches must not change the figure: the same as libebur128's own
// oversampling, on quiet noise with loud bursts whose peaks fall between the samples.
TEST(TruePeakTest, IsLibebur128sFigure) {
    std::vector<int16_t> samples(44100 * 3);
    uint32_t noise = 1;
    for (size_t i = 0; i < samples.size(); ++i) {
        noise = noise * 1664525u + 1013904223u;
        double value = static_cast<int>(noise >> 20) - 2048;  // about -24 dBFS
        if ((i / 4410) % 7 == 3) value += 12000 * std::sin(2 * 3.14159265358979 * 11025 * i / 44100 + 0.785398);
        samples[i] = static_cast<int16_t>(value);
    }
    TruePeak ours(44100);
    ours.Add(samples.data(), samples.size(), 1);
    ebur128_state* theirs = ebur128_init(1, 44100, EBUR128_MODE_TRUE_PEAK);
    ASSERT_NE(theirs, nullptr);
    ebur128_add_frames_short(theirs, samples.data(), samples.size());
    double peak = 0;
    ebur128_true_peak(theirs, 0, &peak);
    ebur128_destroy(&theirs);
    int samplePeak = 0;
    for (int16_t sample : samples) samplePeak = std::max(samplePeak, std::abs(int(sample)));
    EXPECT_GT(peak, 1.2 * samplePeak / 32768.0);  // between the samples
    EXPECT_NEAR(ours.Peak(), peak, 1e-6);
}

}  // namespace
