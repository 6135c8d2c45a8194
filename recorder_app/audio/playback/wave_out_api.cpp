// The table of the real wave-output functions.
#include "audio/playback/wave_out_api.h"

const WaveOutApi& WinmmWaveOut() {
    static const WaveOutApi api = {waveOutGetNumDevs,     waveOutOpen,  waveOutPrepareHeader,
                                   waveOutUnprepareHeader, waveOutWrite, waveOutReset,
                                   waveOutClose,          Sleep};
    return api;
}
