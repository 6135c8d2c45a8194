// The header validity test, the parsed fields, frame lengths and frame durations.
#include "audio/reading/frame_header.h"
#include "synthetic_stream.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

FrameHeader Parsed(uint32_t window) {
    FrameHeader header;
    EXPECT_TRUE(ParseHeader(window, true, header)) << std::hex << window;
    return header;
}

TEST(FrameHeaderValidity, AcceptsCommonHeaders) {
    EXPECT_TRUE(IsValidHeader(synthetic::kRecordingHeader));
    EXPECT_TRUE(IsValidHeader(synthetic::kStereoHeader));
    EXPECT_TRUE(IsValidHeader(0xFFF39064));  // MPEG-2 Layer III
    EXPECT_TRUE(IsValidHeader(0xFFE39064));  // MPEG-2.5 Layer III
}

TEST(FrameHeaderValidity, RejectsEachBrokenCondition) {
    EXPECT_FALSE(IsValidHeader(0xFFDB9064));  // sync incomplete
    EXPECT_FALSE(IsValidHeader(0xFFFF9064));  // 0xFFFFxxxx
    EXPECT_FALSE(IsValidHeader(0xFFFFFFFF));
    EXPECT_FALSE(IsValidHeader(0xFFF99064));  // layer bits 00
    EXPECT_FALSE(IsValidHeader(0xFFFBF064));  // bitrate index 15
    EXPECT_FALSE(IsValidHeader(0xFFFB9C64));  // sampling rate bits 11
    EXPECT_FALSE(IsValidHeader(0x49443303));  // "ID3"
}

TEST(FrameHeaderParse, RecordingFormat) {
    const FrameHeader h = Parsed(synthetic::kRecordingHeader);
    EXPECT_EQ(h.version, MpegVersion::Mpeg1);
    EXPECT_EQ(h.layer, 3);
    EXPECT_TRUE(h.crcPresent);
    EXPECT_EQ(BitrateOf(h.version, h.layer, h.bitrateIndex), 96);
    EXPECT_EQ(SampleRateOf(h.samplingIndex), 44100);
    EXPECT_EQ(h.channels, 1);
    EXPECT_EQ(h.bodyLength, 309);
    EXPECT_EQ(SideInfoLength(h), 19);
    EXPECT_EQ(Parsed(synthetic::kRecordingHeader | 0x200).bodyLength, 310);  // padding
}

TEST(FrameHeaderParse, FieldsOfAStereoHeader) {
    const FrameHeader h = Parsed(0xFFFB926D);  // padding, private, mode 1, ext 2, copyright...
    EXPECT_FALSE(h.crcPresent);
    EXPECT_EQ(h.padding, 1);
    EXPECT_FALSE(h.privateBit);
    EXPECT_EQ(h.channelMode, 1);
    EXPECT_EQ(h.modeExtension, 2);
    EXPECT_TRUE(h.copyright);
    EXPECT_TRUE(h.original);
    EXPECT_EQ(h.emphasis, 1);
    EXPECT_EQ(h.channels, 2);
    EXPECT_EQ(SideInfoLength(h), 32);
}

TEST(FrameHeaderParse, BodyLengthPerLayerAndVersion) {
    EXPECT_EQ(Parsed(0xFFFE1000).bodyLength, 28);  // Layer I with CRC, 32k
    EXPECT_EQ(Parsed(0xFFFD8400).bodyLength, 380);  // Layer II, 128k, 48000 Hz
    EXPECT_EQ(Parsed(0xFFF38000).bodyLength, 204);  // MPEG-2 Layer III, 64k, 22050 Hz
    EXPECT_EQ(SideInfoLength(Parsed(0xFFF280C0)), 11);  // MPEG-2 single channel + CRC
    EXPECT_EQ(Parsed(0xFFE38400).bodyLength, 380);  // MPEG-2.5 Layer III, 64k, 12000 Hz
}

TEST(FrameHeaderParse, FreeFormatFailsAndLeavesTheHeaderAlone) {
    FrameHeader h = Parsed(synthetic::kStereoHeader);
    EXPECT_FALSE(ParseHeader(0xFFFB0064, false, h));
    EXPECT_EQ(h.bitrateIndex, 9);
}

TEST(FrameHeaderParse, LaterHeadersKeepTheFirstFormat) {
    FrameHeader h = Parsed(synthetic::kStereoHeader);
    // A Layer II header at 48000 Hz: only bitrate, padding, mode and flags are taken.
    ASSERT_TRUE(ParseHeader(0xFFFDA4C0, false, h));
    EXPECT_EQ(h.layer, 3);
    EXPECT_EQ(h.samplingIndex, 0);
    EXPECT_EQ(h.bitrateIndex, 10);
    EXPECT_EQ(h.channels, 1);
    EXPECT_EQ(h.bodyLength, 160 * 144000 / 44100 - 4);
}

TEST(FrameHeaderDuration, MsPerFrameOfLayerIIIMatchesTheTimeLineTable) {
    const double table[] = {26.12244987487793, 24.0, 36.0, 26.12244987487793, 24.0, 36.0};
    const uint32_t headers[] = {0xFFFB9000, 0xFFFB9400, 0xFFFB9800,
                                0xFFF39000, 0xFFF39400, 0xFFF39800};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(MsPerFrame(Parsed(headers[i])), table[i]) << i;
}

TEST(FrameHeaderDuration, OtherFrameLengthsUseTheirSampleCount) {
    EXPECT_FLOAT_EQ(MsPerFrame(Parsed(0xFFE39000)), 576000.0 / 11025);  // MPEG-2.5
    EXPECT_FLOAT_EQ(MsPerFrame(Parsed(0xFFE39400)), 48.0);
    EXPECT_FLOAT_EQ(MsPerFrame(Parsed(0xFFE39800)), 72.0);
    EXPECT_FLOAT_EQ(MsPerFrame(Parsed(0xFFFE9000)), 384000.0 / 44100);  // Layer I
    EXPECT_FLOAT_EQ(MsPerFrame(Parsed(0xFFFD9000)), 1152000.0 / 44100);             // Layer II
    EXPECT_FLOAT_EQ(MsPerFrame(Parsed(0xFFF59000)), 1152000.0 / 22050);  // MPEG-2 Layer II
}

// Any first header followed by any later one describes a body that fits the buffers.
TEST(FrameHeaderParse, EveryCombinationFitsTheFrameBuffer) {
    int longest = 0;
    int combinations = 0;
    for (uint32_t format = 0; format < 0x800; ++format) {  // version, layer, bitrate, rate
        const uint32_t firstWindow = 0xFFE00000 | ((format >> 2) << 12) | ((format & 3) << 10);
        FrameHeader base;
        if (!IsValidHeader(firstWindow) || !ParseHeader(firstWindow, true, base)) continue;
        for (uint32_t later = 0; later < 0x400; ++later) {  // version, layer, bitrate, padding
            const uint32_t window = 0xFFE00000 | ((later >> 1) << 12) | ((later & 1) << 9);
            FrameHeader h = base;
            if (!IsValidHeader(window) || !ParseHeader(window, false, h)) continue;
            ++combinations;
            ASSERT_GE(h.bodyLength, 1);
            ASSERT_LE(h.bodyLength, kMaxFrameBody);
            longest = std::max(longest, h.bodyLength);
        }
    }
    EXPECT_GT(combinations, 100000);
    EXPECT_GT(longest, 6000);
}

}  // namespace
