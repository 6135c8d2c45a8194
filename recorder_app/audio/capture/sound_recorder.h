// Records an episode: every captured block goes through the MP3 encoder stream into the
// target file.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "audio/capture/capture_engine.h"
#include "audio/encoding/file_write_api.h"
#include "audio/levels/live_levels.h"

class EncoderStream;

// Start result when the MP3 file cannot be written (encoder library missing, target not
// creatable): recording then would lose everything, so it does not start.
constexpr int kRecorderEncoderFailed = -4;

// Why a recording can no longer go on: its file cannot be written, or its flush found the
// disk full (code: the system's error code), or its device has gone (code: the wave-input error it refused a buffer with,
// or 0 when it handed none back for kGoneSilentMs). What was captured before is in the
// file; the take is to be stopped.
struct RecorderFault {
    enum Kind { kNone, kWriteFailed, kDeviceLost };
    Kind kind = kNone;
    DWORD code = 0;    // 0 for a device that went silent
    DWORD silentMs = 0;  // how long the device has handed back nothing
};

// The engine behind SoundRecorder; its own instances run against any wave-input table and
// file-write table.
class RecordingEngine : public CaptureEngine {
public:
    explicit RecordingEngine(const WaveInApi& api, const FileWriteApi& files = SystemFileWrite())
        : CaptureEngine(api), m_files(files) {}
    // A recording still running at exit is stopped, so that its file is complete before
    // the runtime closes the files.
    ~RecordingEngine() override;

    // 0 recording; -1 device, -2 buffers (see CaptureEngine), -3 already recording,
    // kRecorderEncoderFailed (also when a file of that name exists: it is never replaced).
    // The encoder library is configured on the first start (and again at a later start
    // while it has not loaded) from channels, rate and bitrate. A Start that fails leaves
    // no file behind that it created. deviceId as in CaptureEngine.
    int Start(const wchar_t* targetPath, WORD channels, DWORD sampleRate, DWORD bitrateKbps,
              UINT deviceId = WAVE_MAPPER);
    // Polled while recording; cleared by the next Start.
    RecorderFault Fault() const;
    // The take's levels, measured from the PCM the encoder is given.
    const levels::LiveLevels& Levels() const { return m_levels; }

private:
    int OnDeviceOpened() override;
    void OnBlock(const BYTE* data, DWORD bytes) override;
    void OnStopped() override;

    const FileWriteApi& m_files;
    std::wstring m_targetPath;
    bool m_encoderConfigured = false;
    bool m_createdTarget = false;  // the target did not exist before this start opened it
    // Set by the worker at the first write that fails, or at the stop by a flush that found
    // the disk full.
    std::atomic<DWORD> m_writeFailure{0};
    // Set by the caller's thread before capture starts, cleared only after the worker has
    // handed back every buffer.
    EncoderStream* m_stream = nullptr;
    levels::LiveLevels m_levels;
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
    static RecorderFault Fault();
    // Appends the take's levels measured from block `from` on (see LiveLevels).
    static void CopyLevels(size_t from, levels::Codes& out);
};
