#include "audio/loudness/true_peak.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kTaps = 49;
constexpr double kFullScale = 32768.0;
constexpr size_t kBlock = 256;

}  // namespace

TruePeak::TruePeak(int sampleRate) {
    const int factor = sampleRate < 96000 ? 4 : sampleRate < 192000 ? 2 : 1;
    const int delay = (kTaps + factor - 1) / factor;
    m_history.assign(static_cast<size_t>(delay), 0.0f);
    if (factor == 1) return;  // at 192 kHz and above the samples are the peak
    m_phases.resize(static_cast<size_t>(factor));
    const double pi = 3.14159265358979323846;
    for (int j = 0; j < kTaps; ++j) {
        const double m = j - (kTaps - 1) / 2.0;
        double c = std::fabs(m) > 1e-6 ? std::sin(m * pi / factor) / (m * pi / factor) : 1.0;
        c *= 0.5 * (1 - std::cos(2 * pi * j / (kTaps - 1)));
        if (std::fabs(c) > 1e-6) {
            m_phases[static_cast<size_t>(j % factor)].coeff.push_back(c);
            m_phases[static_cast<size_t>(j % factor)].index.push_back(j / factor);
        }
    }
    for (const Phase& phase : m_phases) {
        double sum = 0;
        for (double c : phase.coeff) sum += std::fabs(c);
        m_gain = std::max(m_gain, sum);
    }
}

void TruePeak::Add(const int16_t* samples, size_t count, size_t stride) {
    const size_t reach = m_history.size();
    for (size_t start = 0; start < count; start += kBlock) {
        const size_t end = std::min(count, start + kBlock);
        int largest = 0;
        for (size_t i = start; i < end; ++i) largest = std::max(largest, std::abs(int(samples[i * stride])));
        m_samplePeak = std::max(m_samplePeak, largest / kFullScale);
        // The outputs of this block reach back into the history too.
        float held = 0;
        for (float h : m_history) held = std::max(held, std::fabs(h));
        const double bound = std::max(double(held), largest / kFullScale) * m_gain;
        if (m_phases.empty() || bound <= m_peak) {
            // Keep the history as the interpolation would have left it.
            for (size_t i = (end - start > reach ? end - reach : start); i < end; ++i) {
                m_history[m_next] = static_cast<float>(samples[i * stride] / kFullScale);
                m_next = (m_next + 1) % reach;
            }
            continue;
        }
        for (size_t i = start; i < end; ++i) Interpolate(static_cast<float>(samples[i * stride] / kFullScale));
    }
}

void TruePeak::Interpolate(float sample) {
    const int reach = static_cast<int>(m_history.size());
    m_history[m_next] = sample;
    for (const Phase& phase : m_phases) {
        double acc = 0;
        for (size_t t = 0; t < phase.coeff.size(); ++t) {
            int i = static_cast<int>(m_next) - phase.index[t];
            if (i < 0) i += reach;
            acc += double(m_history[static_cast<size_t>(i)]) * phase.coeff[t];
        }
        // libebur128 keeps its oversampled values in single precision.
        m_peak = std::max(m_peak, std::fabs(double(static_cast<float>(acc))));
    }
    m_next = (m_next + 1) % static_cast<size_t>(reach);
}

double TruePeak::Peak() const {
    return std::max(m_peak, m_samplePeak);
}
