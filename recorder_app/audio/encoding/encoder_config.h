// The configuration record handed to the encoder library's beInitStream, in its
// "LAME header version 1" layout. Pure data, no Windows headers, so it builds anywhere.
#pragma once
#include <array>
#include <cstdint>

constexpr std::size_t kEncoderConfigSize = 331;
using EncoderConfigRecord = std::array<std::uint8_t, kEncoderConfigSize>;

// Channel modes as the library numbers them.
constexpr std::int32_t kEncoderModeStereo = 0;
constexpr std::int32_t kEncoderModeMono = 3;

// No maximum bitrate: constant bitrate encoding.
constexpr std::int32_t kNoMaxBitrate = -1;

// Fills a zeroed record: 19 little-endian 32-bit fields from the start, the rest zero.
// A maximum bitrate other than kNoMaxBitrate switches the encoder to VBR.
EncoderConfigRecord BuildEncoderConfig(std::uint32_t sampleRate, std::int32_t mode,
                                       std::uint32_t bitrateKbps, std::int32_t maxBitrateKbps);
