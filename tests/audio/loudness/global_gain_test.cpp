// The Layer III global gain's layout and CRC on files made by a real encoder.
#include <gtest/gtest.h>
#include "audio/loudness/global_gain.h"
#include "audio/reading/frame_reader.h"
#include "loudness_corpus.h"

namespace {

using namespace loudness_corpus;

// lame's own CRCs of every frame are what ours computes over the side information we read.
TEST(GlobalGain, CrcAgreesWithTheEncodersInEveryLayout) {
    for (const char* name : {"speech.mp3", "stereo.mp3", "mpeg2.mp3", "mpeg2_stereo.mp3"}) {
        SCOPED_TRACE(name);
        FrameReader reader;
        ASSERT_TRUE(reader.Open(PathOf(name).c_str()));
        int checked = 0;
        while (reader.ReadFrame() == FrameReader::kFrameRead) {
            const uint8_t* frame = reader.FrameData();
            const uint32_t window = (uint32_t(frame[0]) << 24) | (uint32_t(frame[1]) << 16) |
                                    (uint32_t(frame[2]) << 8) | frame[3];
            FrameHeader header;
            GainLayout layout;
            ASSERT_TRUE(ParseHeader(window, true, header) && GainLayoutOf(header, layout));
            ASSERT_TRUE(header.crcPresent);
            ASSERT_EQ(Layer3Crc(frame, layout), (frame[4] << 8) | frame[5]) << "frame " << checked;
            ++checked;
        }
        EXPECT_GT(checked, 100);
    }
}

}  // namespace
