// The table of the real wave-input functions.
#include "audio/wave_in_api.h"

const WaveInApi& WinmmWaveIn() {
    static const WaveInApi api = {waveInOpen,      waveInPrepareHeader, waveInUnprepareHeader,
                                  waveInAddBuffer, waveInStart,         waveInReset,
                                  waveInClose,     Sleep};
    return api;
}
