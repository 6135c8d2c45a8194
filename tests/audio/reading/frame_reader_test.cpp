// The frame reader over streams built in memory: search, ID3v2 skip, latching, lengths,
// truncation, the duration estimate, what comes before the first frame and hostile input.
#include "audio/reading/frame_reader.h"
#include "audio/reading/memory_source.h"
#include "synthetic_stream.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

using synthetic::kRecordingHeader;
using synthetic::kStereoHeader;
constexpr int kRecordingBody = 309;
constexpr int kStereoBody = 413;  // 128 kbit/s at 44100 Hz without padding

class FrameReaderTest : public ::testing::Test {
protected:
    void OpenBytes() {
        ASSERT_TRUE(reader.Open(std::unique_ptr<ByteSource>(
            new MemorySource(bytes.data(), bytes.size()))));
    }
    // Reads to the end and counts frames; gives up (failing) after far more calls than bytes.
    int CountFrames(int* noFrameResults = nullptr) {
        int frames = 0;
        for (size_t calls = 0; calls < bytes.size() + 8; ++calls) {
            const int result = reader.ReadFrame();
            if (result == FrameReader::kFrameRead) ++frames;
            if (result == FrameReader::kNoFrame && noFrameResults) ++*noFrameResults;
            if (result == FrameReader::kEndOfFile || result == FrameReader::kReadFailed)
                return frames;
        }
        ADD_FAILURE() << "the reader did not reach the end";
        return frames;
    }
    // Recording-format frames up to `size` bytes in all, the last one cut short.
    void AppendRecordingUpTo(size_t size) {
        while (bytes.size() < size) synthetic::AppendFrame(bytes, kRecordingHeader, kRecordingBody, 0);
        bytes.resize(size);
    }
    std::vector<uint8_t> bytes;
    FrameReader reader;
};

// A source whose reads fail from a given position on.
class FailingSource : public MemorySource {
public:
    FailingSource(const uint8_t* data, size_t size, uint64_t failFrom)
        : MemorySource(data, size), m_failFrom(failFrom) {}
    long Read(uint8_t* dest, size_t count) override {
        if (Position() + count > m_failFrom) return -1;
        return MemorySource::Read(dest, count);
    }

private:
    uint64_t m_failFrom;
};

TEST_F(FrameReaderTest, ReadsEveryFrameAndKeepsThePreviousOne) {
    for (int i = 0; i < 5; ++i) synthetic::AppendFrame(bytes, kRecordingHeader, kRecordingBody, uint8_t(i + 1));
    OpenBytes();
    ASSERT_EQ(reader.ReadFrame(), FrameReader::kFrameRead);
    EXPECT_EQ(reader.PreviousFrameSize(), 0u);
    for (int i = 1; i < 5; ++i) {
        ASSERT_EQ(reader.ReadFrame(), FrameReader::kFrameRead);
        ASSERT_EQ(reader.FrameSize(), 4u + kRecordingBody);
        EXPECT_EQ(0, std::memcmp(reader.FrameData(), &bytes[i * (4 + kRecordingBody)], reader.FrameSize()));
        ASSERT_EQ(reader.PreviousFrameSize(), 4u + kRecordingBody);
        EXPECT_EQ(reader.PreviousFrameData()[4], uint8_t(i));
    }
    EXPECT_EQ(reader.ReadFrame(), FrameReader::kEndOfFile);
}

TEST_F(FrameReaderTest, EmptyFileEndsAtOnce) {
    OpenBytes();
    EXPECT_EQ(reader.ReadFrame(), FrameReader::kEndOfFile);
    EXPECT_EQ(reader.Duration(), 0u);
}

TEST_F(FrameReaderTest, DurationOfARecordingFollowsTheFileSize) {
    AppendRecordingUpTo(3140000);
    OpenBytes();
    ASSERT_EQ(reader.ReadFrame(), FrameReader::kFrameRead);
    EXPECT_EQ(reader.Duration(), 261224u);  // 10000 frames of 26.12244987487793 ms
}

TEST_F(FrameReaderTest, DurationLeavesOutWhatComesBeforeTheFirstFrame) {
    synthetic::AppendId3(bytes, 314 * 100 - 10, 314 * 100 - 10);
    synthetic::AppendGarbage(bytes, 314 * 50);
    AppendRecordingUpTo(314 * 1150);
    OpenBytes();
    ASSERT_EQ(reader.ReadFrame(), FrameReader::kFrameRead);
    EXPECT_EQ(reader.Duration(), uint32_t(1000 * 26.12244987487793));
}

TEST_F(FrameReaderTest, SkipsAnId3TagBeforeTheFirstFrame) {
    synthetic::AppendId3(bytes, 1000, 1000);
    synthetic::AppendFrame(bytes, kStereoHeader, kStereoBody, 7);
    synthetic::AppendFrame(bytes, kStereoHeader, kStereoBody, 8);
    OpenBytes();
    ASSERT_EQ(reader.ReadFrame(), FrameReader::kFrameRead);
    EXPECT_EQ(reader.FrameData()[4], 7);
    EXPECT_EQ(CountFrames(), 1);
}

TEST_F(FrameReaderTest, AnId3TagLargerThanTheSearchLimitIsSkippedWhole) {
    synthetic::AppendId3(bytes, 200000, 200000);
    synthetic::AppendFrame(bytes, kStereoHeader, kStereoBody, 7);
    OpenBytes();
    ASSERT_EQ(reader.ReadFrame(), FrameReader::kFrameRead);
    EXPECT_EQ(reader.FrameData()[4], 7);
}

TEST_F(FrameReaderTest, AnId3TagReachingBeyondTheFileFails) {
    synthetic::AppendId3(bytes, 0x0FFFFFFF, 100);
    synthetic::AppendFrame(bytes, kStereoHeader, kStereoBody, 7);
    OpenBytes();
    EXPECT_EQ(reader.ReadFrame(), FrameReader::kReadFailed);
}

TEST_F(FrameReaderTest, AnId3TagInsideTheStreamNeverLeadsBack) {
    synthetic::AppendFrame(bytes, kStereoHeader, kStereoBody, 1);
    synthetic::AppendFrame(bytes, kStereoHeader, kStereoBody, 2);
    synthetic::AppendId3(bytes, 0, 0);  // size 0: its own header is all there is
    synthetic::AppendFrame(bytes, kStereoHeader, kStereoBody, 3);
    OpenBytes();
    EXPECT_EQ(CountFrames(), 3);
}

// Files joined end to end carry each half's tags between the frames: APE (header, items,
// footer), ID3v1 and an ID3v2 tag whose picture holds sync patterns, none of them audio. A
// tag the search comes across that claims more than the file holds is searched as bytes.
TEST_F(FrameReaderTest, TagsBetweenFramesAreSkippedWhole) {
    for (int i = 0; i < 2; ++i) synthetic::AppendFrame(bytes, kStereoHeader, kStereoBody, 1);
    const char ape[] = "APETAGEX";
    const uint8_t apeFields[] = {0xD0, 7, 0, 0, 52, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0xA0, 0, 0, 0, 0, 0, 0, 0, 0};
    bytes.insert(bytes.end(), ape, ape + 8);
    bytes.insert(bytes.end(), apeFields, apeFields + sizeof apeFields);
    synthetic::AppendFrame(bytes, kStereoHeader, 16, 0x22);  // a sync pattern among the items
    bytes.insert(bytes.end(), ape, ape + 8);
    bytes.insert(bytes.end(), apeFields, apeFields + sizeof apeFields);
    bytes[bytes.size() - 9] = 0x80;  // the footer
    const char id3v1[] = "TAG";
    bytes.insert(bytes.end(), id3v1, id3v1 + 3);
    bytes.insert(bytes.end(), 124, 0xFF);
    bytes.push_back(0xFB);
    synthetic::AppendId3(bytes, 2 * (4 + kStereoBody), 0);
    for (int i = 0; i < 2; ++i) synthetic::AppendFrame(bytes, kStereoHeader, kStereoBody, 0x33);
    synthetic::AppendFrame(bytes, kStereoHeader, kStereoBody, 2);
    // Not at a frame's place: found by the search after junk, and skipped.
    synthetic::AppendGarbage(bytes, 50);
    synthetic::AppendId3(bytes, 4 + kStereoBody, 0);
    synthetic::AppendFrame(bytes, kStereoHeader, kStereoBody, 0x33);
    synthetic::AppendFrame(bytes, kStereoHeader, kStereoBody, 3);
    synthetic::AppendGarbage(bytes, 50);
    synthetic::AppendId3(bytes, 0x0FFFFFFF, 0);
    synthetic::AppendFrame(bytes, kStereoHeader, kStereoBody, 4);
    OpenBytes();
    for (const uint8_t fill : {1, 1, 2, 3, 4}) {
        ASSERT_EQ(reader.ReadFrame(), FrameReader::kFrameRead) << int(fill);
        EXPECT_EQ(reader.FrameData()[4], fill);
    }
    EXPECT_EQ(reader.ReadFrame(), FrameReader::kEndOfFile);
}

TEST_F(FrameReaderTest, FindsTheFirstFrameAfterGarbageWithinTheLimit) {
    synthetic::AppendGarbage(bytes, 100000);
    synthetic::AppendFrame(bytes, kStereoHeader, kStereoBody, 7);
    OpenBytes();
    ASSERT_EQ(reader.ReadFrame(), FrameReader::kFrameRead);
    EXPECT_EQ(reader.FrameData()[4], 7);
}

TEST_F(FrameReaderTest, GarbageBeyondTheLimitGivesNoFrameThenSearchesOn) {
    synthetic::AppendGarbage(bytes, 200000);
    synthetic::AppendFrame(bytes, kStereoHeader, kStereoBody, 7);
    OpenBytes();
    EXPECT_EQ(reader.ReadFrame(), FrameReader::kNoFrame);
    ASSERT_EQ(reader.ReadFrame(), FrameReader::kFrameRead);
    EXPECT_EQ(reader.FrameData()[4], 7);
}

TEST_F(FrameReaderTest, RunsOfFFBytesAreNeverAHeader) {
    bytes.assign(300000, 0xFF);
    OpenBytes();
    int noFrame = 0;
    EXPECT_EQ(CountFrames(&noFrame), 0);
    EXPECT_EQ(noFrame, 2);
}

TEST_F(FrameReaderTest, FreeFormatHeaderGivesNoFrame) {
    synthetic::AppendFrame(bytes, kStereoHeader, kStereoBody, 1);
    synthetic::AppendFrame(bytes, 0xFFFB0064, 300, 0);
    OpenBytes();
    ASSERT_EQ(reader.ReadFrame(), FrameReader::kFrameRead);
    EXPECT_EQ(reader.ReadFrame(), FrameReader::kNoFrame);
}

TEST_F(FrameReaderTest, TruncatedLastFrameIsFilledWithZeros) {
    synthetic::AppendFrame(bytes, kStereoHeader, kStereoBody, 5);
    synthetic::AppendFrame(bytes, kStereoHeader, 100, 9);
    OpenBytes();
    ASSERT_EQ(reader.ReadFrame(), FrameReader::kFrameRead);
    ASSERT_EQ(reader.ReadFrame(), FrameReader::kFrameRead);
    ASSERT_EQ(reader.FrameSize(), 4u + kStereoBody);
    EXPECT_EQ(reader.FrameData()[4 + 99], 9);
    EXPECT_EQ(reader.FrameData()[4 + 100], 0);
    EXPECT_EQ(reader.FrameData()[4 + kStereoBody - 1], 0);
    EXPECT_EQ(reader.ReadFrame(), FrameReader::kEndOfFile);
}

TEST_F(FrameReaderTest, AHeaderWithNothingAfterItEndsTheStream) {
    synthetic::AppendFrame(bytes, kStereoHeader, kStereoBody, 5);
    synthetic::AppendHeader(bytes, kStereoHeader);
    OpenBytes();
    ASSERT_EQ(reader.ReadFrame(), FrameReader::kFrameRead);
    EXPECT_EQ(reader.ReadFrame(), FrameReader::kEndOfFile);
}

TEST_F(FrameReaderTest, LaterHeadersCannotChangeLayerOrRate) {
    synthetic::AppendFrame(bytes, kStereoHeader, kStereoBody, 1);
    synthetic::AppendFrame(bytes, kStereoHeader, kStereoBody, 2);
    // Claims Layer II at 48000 Hz, 160 kbit/s: read as Layer III at 44100 Hz.
    const int body = 160 * 144000 / 44100 - 4;
    synthetic::AppendFrame(bytes, 0xFFFDA400, body, 3);
    synthetic::AppendFrame(bytes, kStereoHeader, kStereoBody, 4);
    OpenBytes();
    EXPECT_EQ(CountFrames(), 4);
    EXPECT_EQ(reader.Header().layer, 3);
    EXPECT_EQ(SampleRateOf(reader.Header().samplingIndex), 44100);
    EXPECT_FALSE(reader.MatchesStreamFormat(&bytes[2 * (4 + kStereoBody)], 4));
    EXPECT_TRUE(reader.MatchesStreamFormat(&bytes[0], 4));
}

TEST_F(FrameReaderTest, RewindStartsAgainAndLatchesAfresh) {
    synthetic::AppendFrame(bytes, kStereoHeader, kStereoBody, 1);
    synthetic::AppendFrame(bytes, kStereoHeader, kStereoBody, 2);
    OpenBytes();
    EXPECT_EQ(CountFrames(), 2);
    ASSERT_TRUE(reader.Rewind());
    EXPECT_EQ(reader.PreviousFrameSize(), 0u);
    ASSERT_EQ(reader.ReadFrame(), FrameReader::kFrameRead);
    EXPECT_EQ(reader.FrameData()[4], 1);
    EXPECT_EQ(reader.PreviousFrameSize(), 0u);
}

// Junk before the first frame (more of what comes before it: clip_decoding_test.cpp).
TEST_F(FrameReaderTest, ASyncPatternInJunkIsNotTakenForTheFirstFrame) {
    // An MPEG-2.5 Layer I frame at 12 kHz, followed by no header.
    synthetic::AppendFrame(bytes, 0xFFE714C0, 124, 0x21);
    synthetic::AppendGarbage(bytes, 500);
    // A header of the stream's own format whose frame runs into more junk.
    synthetic::AppendFrame(bytes, kStereoHeader, 200, 0x21);
    synthetic::AppendGarbage(bytes, 500);
    // A false header whose last bytes are the first ones of the audio: the search goes on
    // from the byte after each rejected header, not from the end of its frame.
    const uint8_t overlapping[] = {0xFF, 0xE7, 0x14};
    bytes.insert(bytes.end(), overlapping, overlapping + sizeof overlapping);
    const size_t audioStart = bytes.size();
    for (int i = 0; i < 3; ++i) synthetic::AppendFrame(bytes, kStereoHeader, kStereoBody, 7);
    OpenBytes();
    ASSERT_EQ(reader.ReadFrame(), FrameReader::kFrameRead);
    EXPECT_EQ(0, std::memcmp(reader.FrameData(), &bytes[audioStart], reader.FrameSize()));
    EXPECT_EQ(reader.Header().layer, 3);
    EXPECT_EQ(CountFrames(), 2);
}

TEST_F(FrameReaderTest, AReadErrorIsAFailure) {
    for (int i = 0; i < 3; ++i) synthetic::AppendFrame(bytes, kStereoHeader, kStereoBody, 1);
    ASSERT_TRUE(reader.Open(std::unique_ptr<ByteSource>(
        new FailingSource(bytes.data(), bytes.size(), 4 + kStereoBody + 10))));
    EXPECT_EQ(reader.ReadFrame(), FrameReader::kFrameRead);
    EXPECT_EQ(reader.ReadFrame(), FrameReader::kReadFailed);
}

TEST_F(FrameReaderTest, ClosedReaderReadsNothing) {
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_EQ(reader.ReadFrame(), FrameReader::kReadFailed);
    EXPECT_FALSE(reader.Open(std::unique_ptr<ByteSource>()));
}

}  // namespace
