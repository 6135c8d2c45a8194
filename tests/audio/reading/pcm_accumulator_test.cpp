// Blocks of exactly the block size, built from synthesis steps, and output errors.
#include "audio/reading/pcm_accumulator.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class RecordingWriter : public BlockWriter {
public:
    bool WriteBlock(const uint8_t* pcm, uint32_t length) override {
        blocks.emplace_back(pcm, pcm + length);
        return !failNext;
    }
    std::vector<std::vector<uint8_t>> blocks;
    bool failNext = false;
};

std::vector<uint8_t> Counting(size_t n, size_t from = 0) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = uint8_t(from + i);
    return v;
}

TEST(PcmAccumulator, FramesMakeBlocksOfExactlyTheBlockSize) {
    PcmAccumulator pcm;
    RecordingWriter writer;
    ASSERT_TRUE(pcm.Allocate(16384, 128));
    const size_t frameBytes = 1152 * 4;
    for (size_t i = 0; i < 10; ++i) {
        const std::vector<uint8_t> frame = Counting(frameBytes, i * frameBytes);
        ASSERT_TRUE(pcm.Append(frame.data(), frame.size(), writer));
    }
    ASSERT_TRUE(pcm.Flush(writer));
    ASSERT_EQ(writer.blocks.size(), 3u);  // 46080 bytes: two full blocks and the rest
    EXPECT_EQ(writer.blocks[0].size(), 16384u);
    EXPECT_EQ(writer.blocks[1].size(), 16384u);
    EXPECT_EQ(writer.blocks[2].size(), 46080u - 2 * 16384);
    EXPECT_EQ(writer.blocks[1][0], uint8_t(16384));
    EXPECT_EQ(writer.blocks[2].back(), uint8_t(46079));
}

TEST(PcmAccumulator, ABlockSizeOffTheStepEndsAfterTheCrossingStep) {
    PcmAccumulator pcm;
    RecordingWriter writer;
    ASSERT_TRUE(pcm.Allocate(1000, 64));
    const std::vector<uint8_t> pcmBytes = Counting(5000);
    ASSERT_TRUE(pcm.Append(pcmBytes.data(), pcmBytes.size(), writer));
    ASSERT_FALSE(writer.blocks.empty());
    EXPECT_EQ(writer.blocks[0].size(), 1024u);  // 16 steps of 64 bytes
}

TEST(PcmAccumulator, FlushWithNothingWritesNothing) {
    PcmAccumulator pcm;
    RecordingWriter writer;
    ASSERT_TRUE(pcm.Allocate(16384, 128));
    EXPECT_TRUE(pcm.Flush(writer));
    EXPECT_TRUE(writer.blocks.empty());
}

TEST(PcmAccumulator, AnOutputErrorIsReported) {
    PcmAccumulator pcm;
    RecordingWriter writer;
    writer.failNext = true;
    ASSERT_TRUE(pcm.Allocate(256, 128));
    const std::vector<uint8_t> pcmBytes = Counting(512);
    EXPECT_FALSE(pcm.Append(pcmBytes.data(), pcmBytes.size(), writer));
    EXPECT_EQ(writer.blocks.size(), 1u);
}

TEST(PcmAccumulator, NothingIsAcceptedWithoutABuffer) {
    PcmAccumulator pcm;
    RecordingWriter writer;
    const uint8_t byte = 1;
    EXPECT_FALSE(pcm.Append(&byte, 1, writer));
    EXPECT_FALSE(pcm.Allocate(16384, 0));
    EXPECT_FALSE(pcm.IsAllocated());
}

}  // namespace
