// The true peak of one channel to ITU-R BS.1770-4: the sound oversampled four times (twice from
// 96 kHz) by the same polyphase windowed-sinc filter as libebur128's, so that the figure is
// the one that library gives. Stretches whose every oversampled value is bounded below the
// peak found so far (the largest input in the filter's reach times the filter's gain) are not
// interpolated: on speech that is almost all of it, and the result does not change. Pure.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

class TruePeak {
public:
    explicit TruePeak(int sampleRate);

    // Adds `count` samples taken every `stride` values from `samples`.
    void Add(const int16_t* samples, size_t count, size_t stride);
    // The largest true or sample peak so far, 1.0 being full scale.
    double Peak() const;

private:
    void Interpolate(float sample);

    struct Phase {
        std::vector<double> coeff;
        std::vector<int> index;  // how many samples back each coefficient reaches
    };
    std::vector<Phase> m_phases;
    double m_gain = 0;           // largest sum of |coefficients| of a phase
    std::vector<float> m_history;
    size_t m_next = 0;           // where the next sample goes in m_history
    double m_peak = 0;
    double m_samplePeak = 0;
};
