// Records an episode: every captured block goes through the MP3 encoder stream into the
// target file.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "audio/capture_engine.h"

class EncoderStream;

// Start result when the MP3 file cannot be written (encoder library missing, target not
// creatable): recording then would lose everything, so it does not start.
constexpr int kRecorderEncoderFailed = -4;

// The engine behind SoundRecorder; its own instances run against any wave-input table.
class RecordingEngine : public CaptureEngine {
public:
    explicit RecordingEngine(const WaveInApi& api) : CaptureEngine(api) {}
    // A recording still running at exit is stopped, so that its file is complete before
    // the runtime closes the files.
    ~RecordingEngine() override;

    // 0 recording; -1 device, -2 buffers (see CaptureEngine), -3 already recording,
    // kRecorderEncoderFailed. The encoder library is configured on the first start (and
    // again at a later start while it has not loaded) from channels, rate and bitrate.
    // A Start that fails leaves no file behind that it created. deviceId as in CaptureEngine.
    int Start(const wchar_t* targetPath, WORD channels, DWORD sampleRate, DWORD bitrateKbps,
              UINT deviceId = WAVE_MAPPER);

private:
    int OnDeviceOpened() override;
    void OnBlock(const BYTE* data, DWORD bytes) override;
    void OnStopped() override;

    std::wstring m_targetPath;
    bool m_encoderConfigured = false;
    bool m_createdTarget = false;  // the target did not exist before this start opened it
    // Set by the caller's thread before capture starts, cleared only after the worker has
    // handed back every buffer.
    EncoderStream* m_stream = nullptr;
};

// The process's one recorder.
class SoundRecorder {
public:
    // deviceId: a wave-input device id, or WAVE_MAPPER for the system's default device.
    static int Start(const wchar_t* targetPath, WORD channels, DWORD sampleRate,
                     DWORD bitrateKbps, UINT deviceId = WAVE_MAPPER);
    // 0, or -1 when the device kept its buffers or could not be closed. The file is
    // complete when it returns, unless the buffers never came back.
    static int Stop();
    static std::int16_t Level();
};
