// The table of the real wave-input functions.
#include "audio/capture/wave_in_api.h"

#include "audio/capture/endpoint_name.h"

const WaveInApi& WinmmWaveIn() {
    static const WaveInApi api = {waveInOpen,       waveInPrepareHeader, waveInUnprepareHeader,
                                  waveInAddBuffer,  waveInStart,         waveInReset,
                                  waveInClose,      Sleep,               GetTickCount,
                                  waveInGetNumDevs, waveInGetDevCapsW,   waveInMessage,
                                  EndpointFriendlyName};
    return api;
}
