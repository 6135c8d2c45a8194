// SoundRecorder: a capture engine whose blocks are encoded to MP3 while it is busy.
// Threads: the caller's runs Start, Stop (and so OnDeviceOpened and OnStopped, which open
// and close the stream) and Fault; the capture worker runs OnBlock and alone sets the write
// failure while capturing; the stream's flush thread sets only the disk-full code that
// Fault reads through the stream. The worker never waits for a flush.
#include "audio/capture/sound_recorder.h"

#include "audio/encoding/encoder_binding.h"
#include "audio/encoding/encoder_stream.h"

int RecordingEngine::Start(const wchar_t* targetPath, WORD channels, DWORD sampleRate,
                           DWORD bitrateKbps, UINT deviceId) {
    if (IsBusy()) return kCaptureAlreadyRunning;
    m_targetPath = targetPath ? targetPath : L"";
    // Once loaded the library and its configuration stay; a library that was missing is
    // looked for again, so that putting it back does not need a restart.
    if (!m_encoderConfigured) {
        const std::int32_t mode = channels == 1 ? kEncoderModeMono : kEncoderModeStereo;
        m_encoderConfigured =
            encoder_binding::Configure(sampleRate, mode, bitrateKbps, kNoMaxBitrate) == 0;
    }
    m_createdTarget = false;
    m_writeFailure = 0;
    m_levels.Start(sampleRate, channels);
    const int result = CaptureEngine::Start(channels, sampleRate, deviceId);
    // An empty or nearly empty MP3 would pass for a recording. A stream still open was
    // kept by a device that could not be let go of; the worker may still write to it.
    if (result != kCaptureOk && m_createdTarget && !m_stream) DeleteFileW(m_targetPath.c_str());
    return result;
}

RecordingEngine::~RecordingEngine() {
    if (WorkerAlive()) Stop();
}

int RecordingEngine::OnDeviceOpened() {
    m_createdTarget = GetFileAttributesW(m_targetPath.c_str()) == INVALID_FILE_ATTRIBUTES;
    m_stream = EncoderStream::Open(m_targetPath.c_str(), m_files);
    return m_stream ? kCaptureOk : kRecorderEncoderFailed;
}

void RecordingEngine::OnBlock(const BYTE* data, DWORD bytes) {
    // A block the encoder fails on is dropped and later blocks are still offered; a file that
    // cannot be written takes nothing more, and the take must end.
    m_levels.Feed(data, bytes);
    if (EncoderStream::Write(m_stream, data, bytes) == 0) return;
    if (const DWORD failure = EncoderStream::WriteFailure(m_stream)) m_writeFailure = failure;
}

RecorderFault RecordingEngine::Fault() const {
    RecorderFault fault;
    // A flush that found the disk full ends the take as a failed write does, though the
    // file keeps everything written to it.
    if ((fault.code = m_writeFailure.load()) != 0 || (fault.code = EncoderStream::FlushFailure(m_stream)) != 0)
        fault.kind = RecorderFault::kWriteFailed;
    else if ((fault.code = DeviceError()) != MMSYSERR_NOERROR) fault.kind = RecorderFault::kDeviceLost;
    else if ((fault.silentMs = SilentMs()) >= kGoneSilentMs) fault.kind = RecorderFault::kDeviceLost;
    return fault;
}

void RecordingEngine::OnStopped() {
    m_levels.Finish();
    // Kept past the stream, as a failed write is.
    if (m_writeFailure == 0) m_writeFailure = EncoderStream::FlushFailure(m_stream);
    EncoderStream::Close(m_stream);
    m_stream = nullptr;
}

namespace {

RecordingEngine& Recorder() {
    static RecordingEngine engine(WinmmWaveIn());
    return engine;
}

}  // namespace

int SoundRecorder::Start(const wchar_t* targetPath, WORD channels, DWORD sampleRate,
                         DWORD bitrateKbps, UINT deviceId) {
    return Recorder().Start(targetPath, channels, sampleRate, bitrateKbps, deviceId);
}

int SoundRecorder::Stop() { return Recorder().Stop(); }

std::int16_t SoundRecorder::Level() { return Recorder().Level(); }

RecorderFault SoundRecorder::Fault() { return Recorder().Fault(); }

void SoundRecorder::CopyLevels(size_t from, levels::Codes& out) { Recorder().Levels().CopyFrom(from, out); }
