// Captures from the recording device only so that the level meter has a value while
// nothing is recorded or played; the blocks are not kept.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>

class LevelListener {
public:
    // 0 listening; -1 device, -2 buffers (see capture_engine.h), -3 already listening.
    // deviceId: a wave-input device id, or WAVE_MAPPER for the system's default device.
    static int Start(WORD channels, DWORD sampleRate, UINT deviceId = WAVE_MAPPER);
    // 0, or -1 when the device could not be let go of; nothing when not started. After a
    // failed stop the next Start captures with a new engine.
    static int Stop();
    static std::int16_t Level();
};
