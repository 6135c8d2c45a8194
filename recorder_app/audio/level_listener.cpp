// LevelListener: a capture engine that only publishes the level sample.
#include "audio/level_listener.h"

#include "audio/capture_engine.h"

namespace {

CaptureEngine& Listener() {
    static CaptureEngine engine(WinmmWaveIn());
    return engine;
}

}  // namespace

int LevelListener::Start(WORD channels, DWORD sampleRate, UINT deviceId) {
    return Listener().Start(channels, sampleRate, deviceId);
}

int LevelListener::Stop() { return Listener().Stop(); }

std::int16_t LevelListener::Level() { return Listener().Level(); }
