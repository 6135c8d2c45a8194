#include "audio/levels/level_series.h"

#include <algorithm>
#include <cmath>

namespace levels {

uint8_t CodeOfPeak(uint32_t peak) {
    if (peak == 0) return kSilent;
    const double db = 20.0 * std::log10(std::min(peak, 32768u) / 32768.0);
    const long code = std::lround(-db / kDbPerCode);
    return static_cast<uint8_t>(std::clamp(code, 0L, static_cast<long>(kSilent)));
}

double DbOfCode(uint8_t code) { return -kDbPerCode * code; }

uint8_t ShiftedCode(uint8_t code, double db) {
    if (code >= kSilent) return code;
    const long shifted = std::lround(code - db / kDbPerCode);
    return static_cast<uint8_t>(std::clamp(shifted, 0L, static_cast<long>(kSilent) - 1));
}

uint8_t LoudestIn(const Codes& codes, uint32_t fromMs, uint32_t toMs) {
    const size_t first = BlocksFor(fromMs), end = BlocksFor(toMs);
    if (first >= end) return kUnknown;
    if (end > codes.size()) return kUnknown;
    uint8_t loudest = kSilent;
    for (size_t b = first; b < end; ++b) {
        if (codes[b] == kUnknown) return kUnknown;
        loudest = std::min(loudest, codes[b]);
    }
    return loudest;
}

void Shift(Codes& codes, double db) {
    for (uint8_t& code : codes) code = ShiftedCode(code, db);
}

void PeakMeter::Start(uint32_t rate, uint32_t channels, uint32_t firstBlock) {
    m_rate = rate;
    m_channels = std::max(1u, channels);
    m_block = firstBlock;
    m_sample = BlockStartSample(firstBlock, rate);
    m_blockEnd = BlockStartSample(firstBlock + 1, rate);
    m_peak = 0;
    m_any = false;
}

void PeakMeter::Feed(const int16_t* samples, size_t frames, Codes& codes) {
    if (m_rate == 0) return;
    const size_t values = frames * m_channels;
    size_t i = 0;
    while (i < values) {
        // The samples of this call that still belong to the block in progress.
        const uint64_t left = m_blockEnd - m_sample;
        const size_t take = static_cast<size_t>(std::min<uint64_t>(left, (values - i) / m_channels)) * m_channels;
        uint32_t peak = m_peak;
        for (size_t k = i; k < i + take; ++k) {
            const int32_t v = samples[k];
            const uint32_t magnitude = static_cast<uint32_t>(v < 0 ? -v : v);
            peak = std::max(peak, magnitude);
        }
        m_peak = peak;
        m_any = m_any || take > 0;
        i += take;
        m_sample += take / m_channels;
        if (m_sample == m_blockEnd) Finish(codes);
        if (take == 0) break;  // a trailing partial frame, which 16-bit PCM never has
    }
}

void PeakMeter::Finish(Codes& codes) {
    if (!m_any) return;
    if (codes.size() <= m_block) codes.resize(m_block + 1, kUnknown);
    codes[m_block] = CodeOfPeak(m_peak);
    ++m_block;
    m_blockEnd = BlockStartSample(m_block + 1, m_rate);
    m_sample = BlockStartSample(m_block, m_rate);
    m_peak = 0;
    m_any = false;
}

}  // namespace levels
