#include "tone_player.h"
#include <cmath>

namespace e2e {

TonePlayer::TonePlayer(double frequencyHz, double amplitude, int seconds, UINT deviceId) {
    constexpr int kRate = 44100;
    m_samples.resize(static_cast<size_t>(kRate) * seconds);
    for (size_t i = 0; i < m_samples.size(); ++i)
        m_samples[i] = static_cast<short>(32767 * amplitude * std::sin(2 * M_PI * frequencyHz * i / kRate));
    WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, kRate, kRate * 2, 2, 16, 0};
    if (waveOutOpen(&m_device, deviceId, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
        m_device = nullptr;
        return;
    }
    m_header.lpData = reinterpret_cast<LPSTR>(m_samples.data());
    m_header.dwBufferLength = static_cast<DWORD>(m_samples.size() * sizeof(short));
    waveOutPrepareHeader(m_device, &m_header, sizeof m_header);
    waveOutWrite(m_device, &m_header, sizeof m_header);
}

TonePlayer::~TonePlayer() {
    Stop();
}

void TonePlayer::Stop() {
    if (m_device == nullptr) return;
    waveOutReset(m_device);
    waveOutUnprepareHeader(m_device, &m_header, sizeof m_header);
    waveOutClose(m_device);
    m_device = nullptr;
}

}  // namespace e2e
