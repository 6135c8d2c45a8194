// Builds the encoder's configuration record field by field, independent of the host's
// structure packing and byte order.
#include "audio/encoding/encoder_config.h"

namespace {

constexpr std::uint32_t kConfigKindLame = 256;
constexpr std::uint32_t kStructVersion = 1;
constexpr std::int32_t kNoPreset = -1;
constexpr std::uint32_t kMpegVersion1 = 1;
constexpr std::int32_t kVbrQuality = 5;

class RecordWriter {
public:
    explicit RecordWriter(EncoderConfigRecord& record) : m_record(record) {}
    void Put(std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            m_record[m_offset++] = static_cast<std::uint8_t>(value >> (8 * i));
    }
    void Put(std::int32_t value) { Put(static_cast<std::uint32_t>(value)); }

private:
    EncoderConfigRecord& m_record;
    std::size_t m_offset = 0;
};

}  // namespace

EncoderConfigRecord BuildEncoderConfig(std::uint32_t sampleRate, std::int32_t mode,
                                       std::uint32_t bitrateKbps, std::int32_t maxBitrateKbps) {
    const bool vbr = maxBitrateKbps != kNoMaxBitrate;
    EncoderConfigRecord record{};
    RecordWriter out(record);
    out.Put(kConfigKindLame);
    out.Put(kStructVersion);
    out.Put(static_cast<std::uint32_t>(kEncoderConfigSize));
    out.Put(sampleRate);
    out.Put(std::uint32_t{0});  // resample rate: the encoder decides
    out.Put(mode);
    out.Put(bitrateKbps);
    out.Put(vbr ? static_cast<std::uint32_t>(maxBitrateKbps) : 0u);
    out.Put(kNoPreset);
    out.Put(kMpegVersion1);
    out.Put(std::uint32_t{0});  // psychoacoustic model
    out.Put(std::uint32_t{0});  // emphasis
    out.Put(std::uint32_t{0});  // private bit
    out.Put(std::uint32_t{1});  // CRC in every frame
    out.Put(std::uint32_t{0});  // copyright bit
    out.Put(std::uint32_t{0});  // original bit
    out.Put(std::uint32_t{vbr ? 1u : 0u});  // write VBR header
    out.Put(std::uint32_t{vbr ? 1u : 0u});  // enable VBR
    out.Put(vbr ? kVbrQuality : 0);
    return record;
}
