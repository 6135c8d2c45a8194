// The loudness meter against ffmpeg's EBU R128 meter on the same files.
#include <gtest/gtest.h>
#include <fstream>
#include "audio/loudness/loudness_meter.h"
#include "loudness_corpus.h"

namespace {

using namespace loudness_corpus;

TEST(LoudnessMeter, FiguresAgreeWithFfmpeg) {
    const auto ffmpeg = FfmpegFigures();
    ASSERT_GE(ffmpeg.size(), 8u) << "no figures.txt in the corpus";
    for (const auto& [name, want] : ffmpeg) {
        SCOPED_TRACE(name);
        ClipLoudness got;
        ASSERT_EQ(Measure(PathOf(name), got), kLoudnessMeasured);
        // ffmpeg drops the encoder's delay, which moves the 400 ms blocks against the sound;
        // on this short clip of clicks and pauses the gate then takes other blocks.
        EXPECT_NEAR(got.figures.integratedLufs, want.integratedLufs, name == "held.mp3" ? 0.4 : 0.1);
        EXPECT_NEAR(got.figures.truePeakDbtp, want.truePeakDbtp, 0.2);
        EXPECT_NEAR(got.figures.rangeLu, want.rangeLu, 0.5);
        EXPECT_EQ(got.rewrite, name == "layer2.mp2" ? GainRewrite::NotLayer3 : GainRewrite::Possible);
    }
}

TEST(LoudnessMeter, RefusesAFileWithoutAudio) {
    const std::wstring path = Target("noaudio.mp3");
    std::ofstream(path.c_str(), std::ios::binary) << std::string(50000, 'x');
    ClipLoudness got;
    EXPECT_EQ(Measure(path, got), kLoudnessNoAudio);
}

TEST(LoudnessMeter, CancelEndsTheMeasurement) {
    FrameReader reader;
    ASSERT_TRUE(reader.Open(PathOf("speech.mp3").c_str()));
    MeasureWatch watch;
    watch.cancelled = true;
    ClipLoudness got;
    EXPECT_EQ(MeasureClip(reader, got, &watch), kLoudnessCancelled);
}

}  // namespace
