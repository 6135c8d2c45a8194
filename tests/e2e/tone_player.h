// Plays a sine through the default wave-output device, which in the test environment is the
// null sink whose monitor the program records from, or through another output device.
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <vector>

namespace e2e {

class TonePlayer {
public:
    // Starts at once; the tone lasts `seconds` unless stopped earlier.
    TonePlayer(double frequencyHz, double amplitude, int seconds, UINT deviceId = WAVE_MAPPER);
    ~TonePlayer();
    TonePlayer(const TonePlayer&) = delete;
    TonePlayer& operator=(const TonePlayer&) = delete;

    bool IsPlaying() const { return m_device != nullptr; }
    void Stop();

private:
    HWAVEOUT m_device = nullptr;
    WAVEHDR m_header{};
    std::vector<short> m_samples;
};

}  // namespace e2e
