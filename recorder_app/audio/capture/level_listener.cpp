// LevelListener: a capture engine that only publishes the level sample.
#include "audio/capture/level_listener.h"

#include "audio/capture/capture_engine.h"

namespace {

CaptureEngine* g_engine = nullptr;

CaptureEngine& Listener() {
    if (!g_engine) g_engine = new CaptureEngine(WinmmWaveIn());
    return *g_engine;
}

}  // namespace

int LevelListener::Start(WORD channels, DWORD sampleRate, UINT deviceId) {
    return Listener().Start(channels, sampleRate, deviceId);
}

// A device that vanished under the listener (unplugged, its sound server's source removed)
// keeps its buffers, and so the engine busy, for good. The listener keeps nothing worth
// waiting for: that engine is left to the device, whose buffers it may still be writing, and
// the next start gets a new one, so that the meter works again on another device.
int LevelListener::Stop() {
    const int result = Listener().Stop();
    if (result != 0) g_engine = nullptr;
    return result;
}

std::int16_t LevelListener::Level() { return Listener().Level(); }
