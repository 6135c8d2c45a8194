// A scripted wave-output device that takes every block and never hands one back, as a hung
// or unplugged device does, for the clip player's fault tests. The player's waits for it are
// only counted, not slept.
#pragma once
#include <windows.h>

#include "audio/playback/wave_out_api.h"

namespace hung_wave_out {

const WaveOutApi& Api();
// Forgets the counts of the previous test.
void Reset();
// Milliseconds the player has waited for the device.
DWORD WaitedMs();
int CloseCalls();

}  // namespace hung_wave_out
