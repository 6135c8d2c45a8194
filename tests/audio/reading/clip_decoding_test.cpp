// Real clips made by encoders and taggers, read from disk and decoded: frames found, the
// stream's facts, the duration estimate against ffprobe, and the decoded sound.
#include "audio/playback/playback_loop.h"
#include "audio/reading/frame_reader.h"
#include "audio/reading/mp3_decoder.h"
#include "playback_corpus.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

class CollectingWriter : public BlockWriter {
public:
    bool WriteBlock(const uint8_t* pcm, uint32_t length) override {
        const size_t at = samples.size();
        samples.resize(at + length / 2);
        std::memcpy(&samples[at], pcm, length);
        ++blocks;
        return true;
    }
    std::vector<int16_t> samples;  // interleaved stereo
    int blocks = 0;
};

struct ReadResult {
    int frames = 0;
    int noFrameResults = 0;
    int firstResult = 0;
    int lastResult = 0;
};

ReadResult ReadAll(FrameReader& reader) {
    ReadResult r;
    r.firstResult = reader.ReadFrame();
    for (int result = r.firstResult;; result = reader.ReadFrame()) {
        if (result == FrameReader::kFrameRead) ++r.frames;
        if (result == FrameReader::kNoFrame) ++r.noFrameResults;
        if (result == FrameReader::kEndOfFile || result == FrameReader::kReadFailed) {
            r.lastResult = result;
            return r;
        }
    }
}

// Decodes a whole clip as the player does, at full or half rate.
std::vector<int16_t> DecodeAll(const std::string& name, bool halfRate, int* frames) {
    FrameReader reader;
    Mp3Decoder decoder;
    PcmAccumulator pcm;
    CollectingWriter writer;
    EXPECT_TRUE(reader.Open(corpus::PathOf(name).c_str()));
    EXPECT_TRUE(decoder.Setup(32768, halfRate));
    EXPECT_TRUE(pcm.Allocate(16384, Mp3Decoder::StepBytes(halfRate)));
    *frames = 0;
    for (int result = reader.ReadFrame(); result >= FrameReader::kNoFrame; result = reader.ReadFrame()) {
        if (result != FrameReader::kFrameRead) continue;
        ++*frames;
        if (reader.MatchesStreamFormat(reader.FrameData(), reader.FrameSize())) {
            EXPECT_TRUE(decoder.DecodeFrame(reader.FrameData(), reader.FrameSize(), pcm, writer));
        }
    }
    EXPECT_TRUE(pcm.Flush(writer));
    return writer.samples;
}

class ClipReading : public ::testing::TestWithParam<std::string> {};

std::string ClipTestName(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    for (char& c : name)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

TEST_P(ClipReading, FindsTheFramesAndFactsFfprobeFinds) {
    const corpus::Clip* clip = corpus::Find(GetParam());
    ASSERT_NE(clip, nullptr) << "not in the corpus manifest: " << GetParam();
    FrameReader reader;
    ASSERT_TRUE(reader.Open(corpus::PathOf(clip->name).c_str()));
    const ReadResult r = ReadAll(reader);
    if (!clip->playable) {
        EXPECT_NE(r.firstResult, FrameReader::kFrameRead);
        return;
    }
    ASSERT_TRUE(reader.Rewind());
    ASSERT_EQ(reader.ReadFrame(), FrameReader::kFrameRead);
    const FrameHeader& h = reader.Header();
    EXPECT_EQ(SampleRateOf(h.samplingIndex), clip->rate);
    EXPECT_EQ(h.channels, clip->channels);
    EXPECT_EQ(h.layer, clip->layer);
    EXPECT_EQ(r.lastResult, FrameReader::kEndOfFile);
    // ffprobe leaves out the encoder's Info frame, which the reader counts as a frame.
    EXPECT_NEAR(r.frames, clip->frames, 2);
    // Estimated from the file's size at a constant bit rate, or counted by the encoder's
    // Xing or Info frame: within a few frames of the real duration either way.
    const double tolerance = 3 * reader.MsPerFrame() + clip->durationMs * 0.003;
    EXPECT_NEAR(double(reader.Duration()), clip->durationMs, tolerance);
}

TEST_P(ClipReading, DecodesEverySecondToItsTone) {
    const corpus::Clip* clip = corpus::Find(GetParam());
    ASSERT_NE(clip, nullptr);
    if (!clip->playable || !clip->tones) GTEST_SKIP() << "no tones to check";
    const bool halfRate = clip->rate >= 48000;
    const int rate = halfRate ? clip->rate / 2 : clip->rate;
    int frames = 0;
    const std::vector<int16_t> pcm = DecodeAll(clip->name, halfRate, &frames);
    const size_t stereoFrames = pcm.size() / 2;
    EXPECT_NEAR(double(stereoFrames), double(rate) * clip->durationMs / 1000, rate * 0.1);
    // The middle half of every second, clear of the encoder's and decoder's delays.
    for (int second = 0; second < 10; ++second) {
        const size_t from = size_t(rate) * second + rate / 4;
        ASSERT_LE(from + rate / 2, stereoFrames);
        EXPECT_EQ(corpus::DominantTone(&pcm[from * 2], rate / 2, 2, rate), second)
            << clip->name << " second " << second;
    }
    if (clip->channels == 1) {
        for (size_t i = 0; i < stereoFrames; ++i)
            ASSERT_EQ(pcm[2 * i], pcm[2 * i + 1]) << "mono synthesised to both channels, at " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Corpus, ClipReading,
    ::testing::Values("recording.mp3", "stereo128.mp3", "stereo48.mp3", "mpeg2_22050.mp3",
                      "mpeg2_24000.mp3", "mpeg25_11025.mp3", "vbr.mp3", "layer2.mp2",
                      "id3v23.mp3", "id3v24.mp3", "bigtag.mp3", "garbage_small.mp3",
                      "ffprefix.mp3", "truncated.mp3", "garbage_large.mp3", "freeformat.mp3",
                      "allff.mp3", "empty.mp3"),
    ClipTestName);

// What comes before the first frame: two tags in a row with a cover picture, junk with
// sync patterns, and variable bit rate files whose first frame carries the frame count.
INSTANTIATE_TEST_SUITE_P(
    BeforeTheFirstFrame, ClipReading,
    ::testing::Values("twotags.mp3", "junkfront.mp3", "vbr_ffmpeg.mp3", "vbri.mp3"),
    ClipTestName);

// No encoder's count to go by: a variable bit rate, also after a silent lead-in at the lowest
// rate, is counted frame by frame; an Info frame that counts more than the file holds is
// scaled down to what is there.
INSTANTIATE_TEST_SUITE_P(WithoutAFrameCountToTrust, ClipReading,
                         ::testing::Values("vbr_noxing.mp3", "vbr_leadin.mp3", "info_cut.mp3"), ClipTestName);

// A single frame is confirmed by the tag after it, as by a next frame.
INSTANTIATE_TEST_SUITE_P(OneFrame, ClipReading, ::testing::Values("oneframe_tag.mp3"), ClipTestName);

// Two clips joined end to end, each with its Info frame and its tags: both halves are read
// and heard, and the duration is that of both within a frame.
INSTANTIATE_TEST_SUITE_P(JoinedEndToEnd, ClipReading, ::testing::Values("joined.mp3", "joined_cover.mp3"),
                         ClipTestName);

TEST(JoinedClips, LastAsLongAsBothHalves) {
    for (const char* name : {"joined.mp3", "joined_cover.mp3"}) {
        const corpus::Clip* clip = corpus::Find(name);
        ASSERT_NE(clip, nullptr) << name;
        FrameReader reader;
        ASSERT_TRUE(reader.Open(corpus::PathOf(name).c_str()));
        ASSERT_EQ(reader.ReadFrame(), FrameReader::kFrameRead);
        EXPECT_NEAR(double(reader.Duration()), clip->durationMs, reader.MsPerFrame()) << name;
    }
}

TEST(ClipDecoding, FullScaleOutputReachesNearFullAmplitude) {
    int frames = 0;
    const std::vector<int16_t> pcm = DecodeAll("recording.mp3", false, &frames);
    int peak = 0;
    for (int16_t s : pcm) peak = std::max(peak, std::abs(int(s)));
    // The tones were made at half of full scale.
    EXPECT_GT(peak, 14000);
    EXPECT_LT(peak, 20000);
}

TEST(ClipDecoding, EveryFrameYieldsItsSamples) {
    int frames = 0;
    const std::vector<int16_t> pcm = DecodeAll("recording.mp3", false, &frames);
    EXPECT_EQ(pcm.size(), size_t(frames) * 1152 * 2);
    const std::vector<int16_t> half = DecodeAll("stereo48.mp3", true, &frames);
    EXPECT_EQ(half.size(), size_t(frames) * 576 * 2);
}

TEST(ClipDecoding, ABlockIsExactly16384Bytes) {
    FrameReader reader;
    Mp3Decoder decoder;
    PcmAccumulator pcm;
    CollectingWriter writer;
    ASSERT_TRUE(reader.Open(corpus::PathOf("stereo128.mp3").c_str()));
    ASSERT_TRUE(decoder.Setup(32768, false));
    ASSERT_TRUE(pcm.Allocate(16384, Mp3Decoder::StepBytes(false)));
    for (int i = 0; i < 20 && reader.ReadFrame() == FrameReader::kFrameRead; ++i)
        ASSERT_TRUE(decoder.DecodeFrame(reader.FrameData(), reader.FrameSize(), pcm, writer));
    EXPECT_EQ(writer.blocks, 20 * 4608 / 16384);
    EXPECT_EQ(writer.samples.size(), size_t(writer.blocks) * 8192);
}

// Plays frames start..end of a clip through the playback loop into memory.
std::vector<int16_t> PlayFrames(const std::string& name, uint32_t start, uint32_t end) {
    FrameReader reader;
    Mp3Decoder decoder;
    PcmAccumulator pcm;
    CollectingWriter writer;
    EXPECT_TRUE(reader.Open(corpus::PathOf(name).c_str()));
    EXPECT_TRUE(decoder.Setup(32768, false));
    EXPECT_TRUE(pcm.Allocate(16384, Mp3Decoder::StepBytes(false)));
    uint32_t counter = 0;
    const std::atomic<bool> stop{false};
    PlaybackLoop loop(reader, decoder, pcm);
    EXPECT_FALSE(loop.Run(FrameRange{counter, start, end}, stop, writer));
    EXPECT_TRUE(pcm.Flush(writer));
    return writer.samples;
}

TEST(ClipRange, ARangeSoundsItsSecondsFromItsFirstFrame) {
    const double msPerFrame = 26.12244987487793;
    const uint32_t start = uint32_t(3000 / msPerFrame), end = uint32_t(6000 / msPerFrame);
    const std::vector<int16_t> pcm = PlayFrames("recording.mp3", start, end);
    ASSERT_EQ(pcm.size(), size_t(end - start + 1) * 1152 * 2);
    // The range starts in the last frames of second 2, and second 3 follows at once.
    const int rate = 44100;
    EXPECT_EQ(corpus::DominantTone(&pcm[2 * rate / 10 * 2], rate / 2, 2, rate), 3);
    EXPECT_EQ(corpus::DominantTone(&pcm[(rate + rate / 4) * 2], rate / 2, 2, rate), 4);
    EXPECT_EQ(corpus::DominantTone(&pcm[(2 * rate + rate / 4) * 2], rate / 2, 2, rate), 5);
    EXPECT_EQ(corpus::DominantTone(&pcm[pcm.size() - rate / 5 * 2], rate / 10, 2, rate), 5);
}

// Started after skipped frames, the decoder finds the bit reservoir of the frame before: from
// the second decoded frame on, the sound is the same as when the clip plays from its start.
TEST(ClipRange, TheFirstDecodedFrameFindsItsBitReservoir) {
    int frames = 0;
    const std::vector<int16_t> whole = DecodeAll("stereo128.mp3", false, &frames);
    const uint32_t start = 200;
    const std::vector<int16_t> range = PlayFrames("stereo128.mp3", start, start + 9);
    ASSERT_EQ(range.size(), 10u * 1152 * 2);
    const size_t offset = size_t(start - 1) * 1152 * 2;
    ASSERT_LE(offset + range.size(), whole.size());
    size_t differing = 0;
    for (size_t i = 1152 * 2; i < range.size(); ++i)
        if (range[i] != whole[offset + i]) ++differing;
    EXPECT_EQ(differing, 0u);
}

TEST(ClipFileAccess, AMissingFileCannotBeOpened) {
    FrameReader reader;
    EXPECT_FALSE(reader.Open((corpus::Folder() + L"/no-such-clip.mp3").c_str()));
    EXPECT_FALSE(reader.IsOpen());
}

TEST(ClipFileAccess, AnOpenClipCannotBeDeletedAndIsFreeAfterClose) {
    const std::wstring copy = corpus::Folder() + L"/delete-me.mp3";
    ASSERT_TRUE(CopyFileW(corpus::PathOf("recording.mp3").c_str(), copy.c_str(), FALSE));
    FrameReader reader;
    ASSERT_TRUE(reader.Open(copy.c_str()));
    EXPECT_FALSE(DeleteFileW(copy.c_str()));
    EXPECT_EQ(reader.ReadFrame(), FrameReader::kFrameRead);
    reader.Close();
    EXPECT_TRUE(DeleteFileW(copy.c_str()));
}

}  // namespace
