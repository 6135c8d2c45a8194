// The recorder's own steps, with a scripted device and the scripted encoder library:
// configuration, the encoder stream per recording, and a Start that cannot write refused.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

#include "audio/capture/sound_recorder.h"
#include "audio/encoding/encoder_binding.h"
#include "audio/encoding/file_flusher.h"
#include "encoder_test_support.h"
#include "fake_wave_in.h"

TEST(SoundRecorder, EncodesEveryBlockIntoTheTargetFile) {
    FakeWaveIn& device = FakeWaveIn::Reset();
    TempFolder folder;
    const std::wstring path = folder.Path(L"episode.mp3");
    RecordingEngine recorder(FakeWaveIn::Api());
    ASSERT_EQ(recorder.Start(path.c_str(), 1, 44100, 96), kCaptureOk);
    ASSERT_TRUE(LoadFakeEncoder());  // already loaded by Start: this only installs a script
    ASSERT_TRUE(device.Deliver(8820, 0));
    ASSERT_TRUE(device.PartlyFill(2304, 0));
    EXPECT_EQ(recorder.Stop(), 0);
    // four chunks of the full block, one of the partial block, then the tail
    EXPECT_EQ(FakeLog().encodeCalls, 5);
    EXPECT_EQ(FakeLog().deinitCalls, 1);
    EXPECT_EQ(FakeLog().closeCalls, 1);
    EXPECT_EQ(ReadWholeFile(path), "bbbbbbbcccccccdddddddeeeeeeefffffffZZZZZ");
}

TEST(SoundRecorder, ConfiguresTheEncoderFromTheFirstStart) {
    FakeWaveIn::Reset();
    TempFolder folder;
    RecordingEngine recorder(FakeWaveIn::Api());
    ASSERT_EQ(recorder.Start(folder.Path(L"a.mp3").c_str(), 1, 44100, 96), kCaptureOk);
    EXPECT_TRUE(encoder_binding::IsLoaded());
    const EncoderConfigRecord expected = BuildEncoderConfig(44100, kEncoderModeMono, 96, kNoMaxBitrate);
    EXPECT_EQ(std::memcmp(encoder_binding::Config().data(), expected.data(), kEncoderConfigSize), 0);
    EXPECT_EQ(recorder.Stop(), 0);
}

// A recording that could write nothing would lose the episode: Start refuses, with the
// device closed and nothing left running, and a later Start on a good path works.
TEST(SoundRecorder, StartFailsWhenTheTargetCannotBeCreated) {
    FakeWaveIn* device = &FakeWaveIn::Reset();
    TempFolder folder;
    RecordingEngine recorder(FakeWaveIn::Api());
    const std::wstring bad = folder.Path(L"missing folder\\episode.mp3");
    EXPECT_EQ(recorder.Start(bad.c_str(), 1, 44100, 96), kRecorderEncoderFailed);
    EXPECT_EQ(device->Calls(), (std::vector<std::string>{"open", "close"}));
    EXPECT_FALSE(ThreadIsRunning(static_cast<DWORD>(device->callback)));
    EXPECT_FALSE(recorder.IsBusy());
    EXPECT_EQ(recorder.Stop(), 0);

    device = &FakeWaveIn::Reset();
    const std::wstring good = folder.Path(L"episode.mp3");
    EXPECT_EQ(recorder.Start(good.c_str(), 1, 44100, 96), kCaptureOk);
    EXPECT_EQ(recorder.Stop(), 0);
    EXPECT_TRUE(FileExists(good));
}

// A new recording never replaces a file: Start refuses and the file keeps its bytes.
TEST(SoundRecorder, NeverReplacesAnExistingFile) {
    FakeWaveIn::Reset();
    TempFolder folder;
    const std::wstring path = folder.Path(L"episode.mp3");
    WriteWholeFile(path, std::string(10000, 'x'));
    RecordingEngine recorder(FakeWaveIn::Api());
    EXPECT_EQ(recorder.Start(path.c_str(), 1, 44100, 96), kRecorderEncoderFailed);
    EXPECT_EQ(ReadWholeFile(path), std::string(10000, 'x'));
}

// Every buffer came back, but the device cannot be closed: the encoder tail is still
// written and the file closed, so that it can be read, joined and deleted.
TEST(SoundRecorder, AFailedCloseStillCompletesTheFile) {
    FakeWaveInScript script;
    script.closeResult = MMSYSERR_ERROR;
    FakeWaveIn& device = FakeWaveIn::Reset(script);
    TempFolder folder;
    const std::wstring path = folder.Path(L"episode.mp3");
    RecordingEngine recorder(FakeWaveIn::Api());
    ASSERT_EQ(recorder.Start(path.c_str(), 1, 44100, 96), kCaptureOk);
    ASSERT_TRUE(LoadFakeEncoder());
    ASSERT_TRUE(device.Deliver(8820, 0));
    EXPECT_EQ(recorder.Stop(), kCaptureStopFailed);
    EXPECT_EQ(FakeLog().deinitCalls, 1);
    EXPECT_EQ(FakeLog().closeCalls, 1);
    EXPECT_EQ(ReadWholeFile(path), "bbbbbbbcccccccdddddddeeeeeeeZZZZZ");
    EXPECT_TRUE(DeleteFileW(path.c_str()));
}

// A Start that fails after the file was created would leave an empty MP3 that passes for
// a recording.
TEST(SoundRecorder, AFailedStartRemovesTheFileItCreated) {
    FakeWaveInScript script;
    script.startResult = MMSYSERR_ERROR;
    FakeWaveIn::Reset(script);
    TempFolder folder;
    const std::wstring path = folder.Path(L"episode.mp3");
    RecordingEngine recorder(FakeWaveIn::Api());
    EXPECT_EQ(recorder.Start(path.c_str(), 1, 44100, 96), kCaptureBuffersFailed);
    EXPECT_FALSE(FileExists(path));
    EXPECT_FALSE(recorder.IsBusy());
}

// At exit the recording is stopped before the runtime closes the files.
TEST(SoundRecorder, DestroyingARunningRecorderCompletesTheFile) {
    FakeWaveIn& device = FakeWaveIn::Reset();
    TempFolder folder;
    const std::wstring path = folder.Path(L"episode.mp3");
    {
        RecordingEngine recorder(FakeWaveIn::Api());
        ASSERT_EQ(recorder.Start(path.c_str(), 1, 44100, 96), kCaptureOk);
        ASSERT_TRUE(LoadFakeEncoder());
        ASSERT_TRUE(device.Deliver(8820, 0));
    }
    EXPECT_EQ(device.Calls().back(), "close");
    EXPECT_FALSE(ThreadIsRunning(static_cast<DWORD>(device.callback)));
    EXPECT_EQ(ReadWholeFile(path), "bbbbbbbcccccccdddddddeeeeeeeZZZZZ");
}

namespace {

// A disk with g_diskAllowance bytes free: the write that reaches the end is cut short.
DWORD g_diskAllowance = 0;
BOOL WINAPI WriteUntilFull(HANDLE file, LPCVOID data, DWORD size, LPDWORD written, LPOVERLAPPED) {
    if (g_diskAllowance == 0) {
        *written = 0;
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    const DWORD now = size < g_diskAllowance ? size : g_diskAllowance;
    g_diskAllowance -= now;
    return WriteFile(file, data, now, written, nullptr);
}
const FileWriteApi kFullDisk{&WriteUntilFull, &FlushFileBuffers};

// A disk that took the writes into its cache and then finds no room for them: every flush
// fails with g_flushError. The second flush sets g_secondFlush, by when the first one's
// failure has been dealt with; g_flushThread notes which thread flushes.
DWORD g_flushError = 0;
HANDLE g_secondFlush = nullptr;
std::atomic<int> g_flushes{0};
std::atomic<DWORD> g_flushThread{0};
BOOL WINAPI FailingFlush(HANDLE) {
    g_flushThread = GetCurrentThreadId();
    if (++g_flushes == 2) SetEvent(g_secondFlush);
    SetLastError(g_flushError);
    return FALSE;
}
const FileWriteApi kFailingFlush{&WriteFile, &FailingFlush};

}  // namespace

// The first write that fails ends the file at its last whole frame, takes nothing more, and
// is reported with the system's reason so that the take can be stopped.
TEST(SoundRecorder, AWriteThatFailsEndsTheFileAtItsLastWholeFrame) {
    FakeWaveIn& device = FakeWaveIn::Reset();
    TempFolder folder;
    const std::wstring path = folder.Path(L"episode.mp3");
    RecordingEngine recorder(FakeWaveIn::Api(), kFullDisk);
    FakeEncoderScript script;
    script.frames = true;
    script.bytesPerEncode = 500;  // four per block, across frame boundaries
    g_diskAllowance = 2700;       // the sixth output gets 200 of its 500 bytes
    ASSERT_EQ(recorder.Start(path.c_str(), 1, 44100, 96), kCaptureOk);
    ASSERT_TRUE(LoadFakeEncoder(script));
    ASSERT_TRUE(device.Deliver(8820, 0));
    EXPECT_EQ(recorder.Fault().kind, RecorderFault::kNone);
    ASSERT_TRUE(device.Deliver(8820, 0));
    EXPECT_EQ(recorder.Fault().kind, RecorderFault::kWriteFailed);
    EXPECT_EQ(recorder.Fault().code, static_cast<DWORD>(ERROR_DISK_FULL));
    g_diskAllowance = 100000;  // room again: still nothing more goes in
    ASSERT_TRUE(device.Deliver(8820, 0));
    EXPECT_EQ(FakeLog().encodeCalls, 6);
    EXPECT_EQ(recorder.Stop(), 0);

    const std::string file = ReadWholeFile(path);
    EXPECT_EQ(file.size(), 8 * kFakeFrameBytes);  // 2700 bytes reached the disk
    for (size_t at = 0; at < file.size(); at += kFakeFrameBytes)
        EXPECT_EQ(static_cast<unsigned char>(file[at]), 0xFFu) << at;

    // The next take starts with a clean slate.
    FakeWaveIn::Reset();
    ASSERT_EQ(recorder.Start(folder.Path(L"next.mp3").c_str(), 1, 44100, 96), kCaptureOk);
    EXPECT_EQ(recorder.Fault().kind, RecorderFault::kNone);
    EXPECT_EQ(recorder.Stop(), 0);
}

// Output whose frames cannot be told (here the scripted encoder's letters) is cut back only
// to before the write that failed.
TEST(SoundRecorder, OutputWithoutFramesIsCutBackToBeforeTheFailedWrite) {
    FakeWaveIn& device = FakeWaveIn::Reset();
    TempFolder folder;
    const std::wstring path = folder.Path(L"episode.mp3");
    RecordingEngine recorder(FakeWaveIn::Api(), kFullDisk);
    g_diskAllowance = 10;  // the second output of 7 bytes gets 3 of them
    ASSERT_EQ(recorder.Start(path.c_str(), 1, 44100, 96), kCaptureOk);
    ASSERT_TRUE(LoadFakeEncoder());
    ASSERT_TRUE(device.Deliver(8820, 0));
    EXPECT_EQ(recorder.Fault().kind, RecorderFault::kWriteFailed);
    EXPECT_EQ(recorder.Stop(), 0);
    EXPECT_EQ(ReadWholeFile(path), "bbbbbbb");
}

// An unplugged microphone hands its buffers back and refuses everything after: the take is
// reported as lost, what was captured is in a complete file, and the device is let go of so
// that a later Start can use another one.
TEST(SoundRecorder, AnUnpluggedDeviceIsReportedAndLetGoOf) {
    FakeWaveIn* device = &FakeWaveIn::Reset();
    TempFolder folder;
    const std::wstring path = folder.Path(L"episode.mp3");
    RecordingEngine recorder(FakeWaveIn::Api());
    ASSERT_EQ(recorder.Start(path.c_str(), 1, 44100, 96), kCaptureOk);
    ASSERT_TRUE(LoadFakeEncoder());
    ASSERT_TRUE(device->Deliver(8820, 0));
    ASSERT_TRUE(device->PartlyFill(2304, 0));
    ASSERT_TRUE(device->Unplug());
    EXPECT_EQ(recorder.Fault().kind, RecorderFault::kDeviceLost);
    EXPECT_EQ(recorder.Fault().code, static_cast<DWORD>(MMSYSERR_NODRIVER));
    EXPECT_EQ(recorder.Stop(), 0);
    EXPECT_FALSE(recorder.IsBusy());
    EXPECT_FALSE(ThreadIsRunning(static_cast<DWORD>(device->callback)));
    EXPECT_EQ(ReadWholeFile(path), "bbbbbbbcccccccdddddddeeeeeeefffffffZZZZZ");

    device = &FakeWaveIn::Reset();
    EXPECT_EQ(recorder.Start(folder.Path(L"next.mp3").c_str(), 1, 44100, 96), kCaptureOk);
    EXPECT_EQ(recorder.Fault().kind, RecorderFault::kNone);
    EXPECT_EQ(recorder.Stop(), 0);
}

// The file is flushed from a thread of its own, neither the caller's nor the capture
// worker's, which must never wait for the disk. A flush that finds the disk full ends the
// take as a failed write does, but what was written stays in the file; any other failed
// flush is tried again and the take goes on.
TEST(SoundRecorder, AFlushThatFindsTheDiskFullEndsTheTakeAndKeepsTheFile) {
    for (const DWORD error : {static_cast<DWORD>(ERROR_DISK_FULL), static_cast<DWORD>(ERROR_IO_DEVICE)}) {
        FakeWaveIn& device = FakeWaveIn::Reset();
        TempFolder folder;
        const std::wstring path = folder.Path(L"episode.mp3");
        RecordingEngine recorder(FakeWaveIn::Api(), kFailingFlush);
        g_flushError = error;
        g_flushes = 0;
        g_secondFlush = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        ASSERT_EQ(recorder.Start(path.c_str(), 1, 44100, 96), kCaptureOk);
        ASSERT_TRUE(LoadFakeEncoder());
        ASSERT_TRUE(device.Deliver(8820, 0));
        // Generous: flushes are due every kFlushIntervalMs.
        EXPECT_EQ(WaitForSingleObject(g_secondFlush, 20 * kFlushIntervalMs), WAIT_OBJECT_0);
        EXPECT_NE(g_flushThread.load(), GetCurrentThreadId());
        EXPECT_NE(g_flushThread.load(), static_cast<DWORD>(device.callback));
        const RecorderFault fault = recorder.Fault();
        ASSERT_TRUE(device.PartlyFill(2304, 0));
        EXPECT_EQ(recorder.Stop(), 0);
        CloseHandle(g_secondFlush);
        if (error == ERROR_DISK_FULL) {
            EXPECT_EQ(fault.kind, RecorderFault::kWriteFailed);
            EXPECT_EQ(fault.code, error);
            EXPECT_EQ(recorder.Fault().kind, RecorderFault::kWriteFailed) << "after the stop";
        } else {
            EXPECT_EQ(fault.kind, RecorderFault::kNone);
        }
        EXPECT_EQ(ReadWholeFile(path), "bbbbbbbcccccccdddddddeeeeeeefffffffZZZZZ") << error;
    }
}
