// The playback loop over streams built in memory: frames counted and skipped, the range's
// end, the stop request, and the end of the file.
#include "audio/playback/playback_loop.h"
#include "audio/reading/memory_source.h"
#include "synthetic_stream.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kNoEnd = 0xFFFFFFFFu;
constexpr int kStereoBody = 413;

class CountingWriter : public BlockWriter {
public:
    bool WriteBlock(const uint8_t*, uint32_t length) override {
        bytes += length;
        ++blocks;
        return !fail;
    }
    uint64_t bytes = 0;
    int blocks = 0;
    bool fail = false;
};

// Stops the loop once a given number of passes has begun.
class StopAfter : public PlaybackLoop::Listener {
public:
    StopAfter(std::atomic<bool>& stop, int passes) : m_stop(stop), m_passes(passes) {}
    void BeforeFrame() override {
        if (++count >= m_passes) m_stop = true;
    }
    int count = 0;

private:
    std::atomic<bool>& m_stop;
    int m_passes;
};

class PlaybackLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Silent frames: side information of zeros decodes to 1152 samples of silence.
        for (int i = 0; i < 20; ++i) synthetic::AppendFrame(bytes, synthetic::kStereoHeader, kStereoBody, 0);
        ASSERT_TRUE(reader.Open(std::unique_ptr<ByteSource>(new MemorySource(bytes.data(), bytes.size()))));
        ASSERT_TRUE(decoder.Setup(32768, false));
        ASSERT_TRUE(pcm.Allocate(16384, Mp3Decoder::StepBytes(false)));
    }
    // Runs the loop over frames start..end and returns the stereo sample frames produced.
    uint64_t Play(uint32_t start, uint32_t end, bool* stopped = nullptr) {
        PlaybackLoop loop(reader, decoder, pcm);
        const bool result = loop.Run(FrameRange{counter, start, end}, stop, writer);
        if (stopped) *stopped = result;
        EXPECT_TRUE(pcm.Flush(writer));
        return writer.bytes / 4;
    }

    std::vector<uint8_t> bytes;
    FrameReader reader;
    Mp3Decoder decoder;
    PcmAccumulator pcm;
    CountingWriter writer;
    std::atomic<bool> stop{false};
    uint32_t counter = 0;
};

TEST_F(PlaybackLoopTest, PlaysTheWholeClipToItsEnd) {
    bool stopped = true;
    EXPECT_EQ(Play(0, kNoEnd, &stopped), 20u * 1152);
    EXPECT_FALSE(stopped);
    EXPECT_EQ(counter, 20u);
}

TEST_F(PlaybackLoopTest, DecodesOnlyTheFramesOfTheRange) {
    EXPECT_EQ(Play(5, 9), 5u * 1152);  // frames 5 to 9, counting from 1
    EXPECT_EQ(counter, 10u);           // the frame after the range was read, then it ended
}

TEST_F(PlaybackLoopTest, AStartBeyondTheClipDecodesNothing) {
    EXPECT_EQ(Play(100, kNoEnd), 0u);
    EXPECT_EQ(counter, 20u);
    EXPECT_EQ(writer.blocks, 0);
}

TEST_F(PlaybackLoopTest, AStopRequestEndsTheLoopAfterTheFrameBeingRead) {
    StopAfter stopper(stop, 3);
    PlaybackLoop loop(reader, decoder, pcm);
    EXPECT_TRUE(loop.Run(FrameRange{counter, 0, kNoEnd}, stop, writer, &stopper));
    EXPECT_EQ(stopper.count, 3);
    EXPECT_EQ(counter, 3u);
    EXPECT_EQ(writer.bytes + pcm.Fill(), 2u * 1152 * 4);  // the third frame was not decoded
}

TEST_F(PlaybackLoopTest, AnOutputErrorEndsTheLoop) {
    writer.fail = true;
    bool stopped = true;
    Play(0, kNoEnd, &stopped);
    EXPECT_FALSE(stopped);
    EXPECT_EQ(writer.blocks, 1);
    EXPECT_LT(counter, 20u);
}

TEST_F(PlaybackLoopTest, FramesOfAnotherFormatAreCountedButNotDecoded) {
    bytes.clear();
    for (int i = 0; i < 4; ++i) synthetic::AppendFrame(bytes, synthetic::kStereoHeader, kStereoBody, 0);
    // MPEG-2 bits: read with the first frame's layer and rate, but not the same stream.
    synthetic::AppendFrame(bytes, 0xFFF39064, 144 * 128000 / 44100 / 2 - 4, 0);
    for (int i = 0; i < 4; ++i) synthetic::AppendFrame(bytes, synthetic::kStereoHeader, kStereoBody, 0);
    ASSERT_TRUE(reader.Open(std::unique_ptr<ByteSource>(new MemorySource(bytes.data(), bytes.size()))));
    EXPECT_EQ(Play(0, kNoEnd), 8u * 1152);
    EXPECT_EQ(counter, 9u);
}

}  // namespace
