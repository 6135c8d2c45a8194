// The configuration record, byte by byte.
#include <gtest/gtest.h>

#include "audio/encoding/encoder_config.h"

namespace {

std::uint32_t Field(const EncoderConfigRecord& record, int index) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = (value << 8) | record[index * 4 + i];
    return value;
}

}  // namespace

TEST(EncoderConfig, RecordingFormatFillsNineteenFieldsAndZeroesTheRest) {
    const EncoderConfigRecord record = BuildEncoderConfig(44100, kEncoderModeMono, 96, kNoMaxBitrate);
    const std::uint32_t expected[19] = {256, 1, 331, 44100, 0, 3, 96, 0, 0xFFFFFFFFu, 1,
                                        0,   0, 0,   1,     0, 0, 0,  0, 0};
    for (int i = 0; i < 19; ++i) EXPECT_EQ(Field(record, i), expected[i]) << "field " << i;
    for (std::size_t i = 19 * 4; i < kEncoderConfigSize; ++i) EXPECT_EQ(record[i], 0) << "byte " << i;
}

TEST(EncoderConfig, StereoAndAMaximumBitrateSwitchToVbr) {
    const EncoderConfigRecord record = BuildEncoderConfig(48000, kEncoderModeStereo, 64, 192);
    EXPECT_EQ(Field(record, 3), 48000u);
    EXPECT_EQ(Field(record, 5), 0u);
    EXPECT_EQ(Field(record, 6), 64u);
    EXPECT_EQ(Field(record, 7), 192u);
    EXPECT_EQ(Field(record, 16), 1u);
    EXPECT_EQ(Field(record, 17), 1u);
    EXPECT_EQ(Field(record, 18), 5u);
}
