// The decoder renders 16-bit PCM at half of full scale, so that the overshoots of a loud clip
// (an MP3 decodes above full scale where its source was limited at it) reach the meter
// instead of being clipped; the figures are raised by that 6.02 dB again.
#include "audio/loudness/loudness_meter.h"

#include "audio/loudness/true_peak.h"
#include "audio/reading/mp3_decoder.h"
#include "audio/reading/pcm_accumulator.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr long kHalfScale = 16384;
const double kHeadroomDb = 20.0 * std::log10(2.0);
constexpr uint32_t kBlockBytes = 64 * 1024;
constexpr uint32_t kStereoFrameBytes = 4;

struct MeterDeleter {
    void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};
using MeterPtr = std::unique_ptr<ebur128_state, MeterDeleter>;

// Hands the decoder's interleaved stereo to the meter; a mono clip is decoded to two equal
// channels, of which the meter takes one.
class MeterInput : public BlockWriter {
public:
    MeterInput(ebur128_state* meter, int channels, int sampleRate)
        : m_meter(meter), m_channels(channels), m_peaks(static_cast<size_t>(channels), TruePeak(sampleRate)) {}

    bool WriteBlock(const uint8_t* pcm, uint32_t length) override {
        const size_t frames = length / kStereoFrameBytes;
        m_frames += frames;
        const int16_t* samples = reinterpret_cast<const int16_t*>(pcm);
        for (int c = 0; c < m_channels; ++c) m_peaks[static_cast<size_t>(c)].Add(samples + c, frames, 2);
        if (m_channels == 2) return ebur128_add_frames_short(m_meter, samples, frames) == EBUR128_SUCCESS;
        m_mono.resize(frames);
        for (size_t i = 0; i < frames; ++i) m_mono[i] = samples[2 * i];
        return ebur128_add_frames_short(m_meter, m_mono.data(), frames) == EBUR128_SUCCESS;
    }

    uint64_t Frames() const { return m_frames; }
    double Peak() const {
        double peak = 0;
        for (const TruePeak& channel : m_peaks) peak = std::max(peak, channel.Peak());
        return peak;
    }

private:
    ebur128_state* m_meter;
    int m_channels;
    std::vector<TruePeak> m_peaks;
    std::vector<int16_t> m_mono;
    uint64_t m_frames = 0;
};

bool SameKind(const FrameHeader& a, const FrameHeader& b) {
    return a.version == b.version && a.layer == b.layer && a.samplingIndex == b.samplingIndex &&
           a.channels == b.channels;
}

double Decibels(double linear) {
    return linear > 0 ? 20.0 * std::log10(linear) : -std::numeric_limits<double>::infinity();
}

bool ReadFigures(ebur128_state* meter, const MeterInput& input, LoudnessFigures& figures) {
    double integrated = 0, range = 0;
    if (ebur128_loudness_global(meter, &integrated) != EBUR128_SUCCESS ||
        ebur128_loudness_range(meter, &range) != EBUR128_SUCCESS)
        return false;
    figures.integratedLufs = std::isfinite(integrated) ? integrated + kHeadroomDb : integrated;
    figures.rangeLu = range;
    figures.truePeakDbtp = Decibels(input.Peak()) + kHeadroomDb;
    return true;
}

}  // namespace

int MeasureClip(FrameReader& reader, ClipLoudness& result, MeasureWatch* watch) {
    result = ClipLoudness();
    if (!reader.Rewind()) return kLoudnessReadFailed;
    int read = reader.ReadFrame();
    if (read == FrameReader::kReadFailed) return kLoudnessReadFailed;
    if (read != FrameReader::kFrameRead) return kLoudnessNoAudio;
    FrameHeader first;
    if (!ParseHeader(HeaderOf(reader.FrameData()), true, first)) return kLoudnessNoAudio;
    result.channels = first.channels;
    result.sampleRate = SampleRateOf(first.samplingIndex);
    result.rewrite = first.layer == 3 ? GainRewrite::Possible : GainRewrite::NotLayer3;

    MeterPtr meter(ebur128_init(static_cast<unsigned>(result.channels), static_cast<unsigned long>(result.sampleRate),
                                EBUR128_MODE_I | EBUR128_MODE_LRA));
    Mp3Decoder decoder;
    PcmAccumulator pcm;
    if (!meter || !decoder.Setup(kHalfScale, false) || !pcm.Allocate(kBlockBytes, Mp3Decoder::StepBytes(false)))
        return kLoudnessMeterFailed;
    MeterInput input(meter.get(), result.channels, result.sampleRate);
    const uint64_t fileSize = reader.FileSize();

    for (;;) {
        if (watch && watch->cancelled.load()) return kLoudnessCancelled;
        if (read == FrameReader::kFrameRead) {
            ++result.frames;
            const uint8_t* frame = reader.FrameData();
            const size_t size = reader.FrameSize();
            FrameHeader header;
            if (!ParseHeader(HeaderOf(frame), true, header) || !SameKind(header, first)) {
                if (result.rewrite == GainRewrite::Possible) result.rewrite = GainRewrite::MixedFrames;
            } else {
                SurveyGains(frame, size, header, result.gains);
            }
            if (reader.MatchesStreamFormat(frame, size)) {
                if (!decoder.HasHistory() &&
                    reader.MatchesStreamFormat(reader.PreviousFrameData(), reader.PreviousFrameSize()))
                    decoder.Prime(reader.PreviousFrameData(), reader.PreviousFrameSize());
                if (!decoder.DecodeFrame(frame, size, pcm, input)) return kLoudnessMeterFailed;
            }
            if (watch && fileSize)
                watch->permille.store(static_cast<uint32_t>(reader.FrameOffset() * 1000 / fileSize));
        }
        read = reader.ReadFrame();
        if (read == FrameReader::kEndOfFile) break;
        if (read == FrameReader::kReadFailed) return kLoudnessReadFailed;
    }
    if (!pcm.Flush(input)) return kLoudnessMeterFailed;
    if (input.Frames() == 0) return kLoudnessNoAudio;
    if (!ReadFigures(meter.get(), input, result.figures)) return kLoudnessMeterFailed;
    if (watch) watch->permille.store(1000);
    return kLoudnessMeasured;
}
