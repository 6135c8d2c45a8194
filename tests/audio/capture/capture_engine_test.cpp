// The start steps, the worker and the stop of a capture engine, against a scripted device.
#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "audio/capture/capture_engine.h"
#include "fake_wave_in.h"

namespace {

using Calls = std::vector<std::string>;

// An engine that logs what it hands on.
class LoggingEngine : public CaptureEngine {
public:
    LoggingEngine() : CaptureEngine(FakeWaveIn::Api()) {}
    int openedResult = 0;
    int stoppedCalls = 0;

    std::vector<std::string> Events() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_events;
    }

private:
    int OnDeviceOpened() override {
        Note("opened");
        return openedResult;
    }
    void OnBlock(const BYTE* data, DWORD bytes) override {
        Note("block " + std::to_string(bytes) + " from " +
             std::to_string(*reinterpret_cast<const short*>(data)));
    }
    void OnStopped() override {
        ++stoppedCalls;
        Note("stopped");
    }
    void Note(const std::string& event) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.push_back(event);
    }
    std::mutex m_mutex;
    std::vector<std::string> m_events;
};

// An engine left busy keeps its worker, which may still handle a message the device posted
// earlier; like the program's engines it lives until the process ends, not on a stack frame
// that the next code reuses.
LoggingEngine& EngineLeftBusy() { return *new LoggingEngine; }

const Calls kStartCalls = {"open", "prepare", "prepare", "add", "add", "start"};

}  // namespace

TEST(CaptureEngine, StartOpensTheDefaultDeviceWithTwoBuffersOfOneTenthSecond) {
    FakeWaveIn& device = FakeWaveIn::Reset();
    LoggingEngine engine;
    ASSERT_EQ(engine.Start(1, 44100), kCaptureOk);
    EXPECT_EQ(device.Calls(), kStartCalls);
    EXPECT_EQ(device.format.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(device.format.nChannels, 1);
    EXPECT_EQ(device.format.nSamplesPerSec, 44100u);
    EXPECT_EQ(device.format.wBitsPerSample, 16);
    EXPECT_EQ(device.format.nBlockAlign, 2);
    EXPECT_EQ(device.format.nAvgBytesPerSec, 88200u);
    EXPECT_EQ(device.format.cbSize, 0);
    EXPECT_EQ(device.openFlags, static_cast<DWORD>(CALLBACK_THREAD));
    EXPECT_TRUE(ThreadIsRunning(static_cast<DWORD>(device.callback)));
    ASSERT_EQ(device.prepared.size(), 2u);
    EXPECT_EQ(device.prepared[0]->dwBufferLength, 8820u);
    EXPECT_EQ(device.prepared[1]->dwBufferLength, 8820u);
    EXPECT_EQ(device.prepared[1]->lpData, device.prepared[0]->lpData + 8820);
    EXPECT_EQ(engine.Stop(), 0);
}

TEST(CaptureEngine, ASecondStartIsRefusedAndChangesNothing) {
    FakeWaveIn& device = FakeWaveIn::Reset();
    LoggingEngine engine;
    ASSERT_EQ(engine.Start(1, 44100), kCaptureOk);
    EXPECT_EQ(engine.Start(1, 44100), kCaptureAlreadyRunning);
    EXPECT_EQ(device.Calls(), kStartCalls);
    ASSERT_TRUE(device.Deliver(8820, 10));  // still capturing
    EXPECT_EQ(engine.Stop(), 0);
}

TEST(CaptureEngine, StopWithoutStartTouchesNothing) {
    FakeWaveIn& device = FakeWaveIn::Reset();
    LoggingEngine engine;
    EXPECT_EQ(engine.Stop(), 0);
    EXPECT_TRUE(device.Calls().empty());
    EXPECT_TRUE(engine.Events().empty());
}

TEST(CaptureEngine, BlocksAreHandedOnAndTheBufferGoesBackAtOnce) {
    FakeWaveIn& device = FakeWaveIn::Reset();
    LoggingEngine engine;
    ASSERT_EQ(engine.Start(1, 44100), kCaptureOk);
    ASSERT_TRUE(device.Deliver(8820, 1234));
    ASSERT_TRUE(device.Deliver(8820, -32768));
    EXPECT_EQ(device.Queued(), 2u);
    EXPECT_EQ(engine.Level(), -32768);
    EXPECT_EQ(engine.Events(), (Calls{"opened", "block 8820 from 1234", "block 8820 from -32768"}));
    EXPECT_EQ(engine.Stop(), 0);
}

TEST(CaptureEngine, AnEmptyBlockGoesBackButChangesNothing) {
    FakeWaveIn& device = FakeWaveIn::Reset();
    LoggingEngine engine;
    ASSERT_EQ(engine.Start(1, 44100), kCaptureOk);
    ASSERT_TRUE(device.Deliver(8820, 77));
    ASSERT_TRUE(device.Deliver(0, 5));
    EXPECT_EQ(device.Queued(), 2u);
    EXPECT_EQ(engine.Level(), 77);
    EXPECT_EQ(engine.Events(), (Calls{"opened", "block 8820 from 77"}));
    EXPECT_EQ(engine.Stop(), 0);
}

// The reset hands back the partly filled buffer; its samples are handed on before the
// engine reports itself stopped, and the level stays readable afterwards.
TEST(CaptureEngine, StopHandsOnThePartlyFilledBlockAndReleasesEverything) {
    FakeWaveIn& device = FakeWaveIn::Reset();
    LoggingEngine engine;
    ASSERT_EQ(engine.Start(1, 44100), kCaptureOk);
    const DWORD worker = static_cast<DWORD>(device.callback);
    const void* memory = device.prepared[0]->lpData;
    ASSERT_TRUE(device.Deliver(8820, 1));
    ASSERT_TRUE(device.PartlyFill(1000, 55));
    EXPECT_EQ(engine.Stop(), 0);
    EXPECT_EQ(engine.Events(), (Calls{"opened", "block 8820 from 1", "block 1000 from 55", "stopped"}));
    EXPECT_EQ(engine.Level(), 55);
    const Calls stopCalls = {"reset", "unprepare 2", "unprepare 1", "close"};
    const Calls calls = device.Calls();
    EXPECT_EQ(Calls(calls.end() - 4, calls.end()), stopCalls);
    EXPECT_FALSE(engine.IsBusy());
    EXPECT_FALSE(ThreadIsRunning(worker));
    EXPECT_TRUE(MemoryIsFree(memory));
    EXPECT_EQ(engine.Stop(), 0);  // a second Stop does nothing
    EXPECT_EQ(device.Calls(), calls);
}

TEST(CaptureEngine, AFailedOpenLeavesNothingRunningAndALaterStartWorks) {
    FakeWaveInScript script;
    script.openResult = MMSYSERR_BADDEVICEID;
    FakeWaveIn* device = &FakeWaveIn::Reset(script);
    LoggingEngine engine;
    EXPECT_EQ(engine.Start(1, 44100), kCaptureDeviceFailed);
    EXPECT_EQ(device->Calls(), (Calls{"open"}));
    EXPECT_FALSE(ThreadIsRunning(static_cast<DWORD>(device->callback)));
    EXPECT_FALSE(engine.IsBusy());
    EXPECT_EQ(engine.Stop(), 0);
    EXPECT_EQ(device->Calls(), (Calls{"open"}));

    device = &FakeWaveIn::Reset();
    EXPECT_EQ(engine.Start(1, 44100), kCaptureOk);
    EXPECT_EQ(engine.Stop(), 0);
}

namespace {

// Start fails at some step after the device opened: everything is undone in order and a
// later Start works.
// The engine resets the device before every poll until its buffers are back; how many polls
// that takes depends on how soon the worker gets to run, so repeated resets count as one.
Calls WithoutRepeatedResets(Calls calls) {
    calls.erase(std::unique(calls.begin(), calls.end(),
                            [](const std::string& a, const std::string& b) { return a == "reset" && b == "reset"; }),
                calls.end());
    return calls;
}

void ExpectCleanFailure(const FakeWaveInScript& script, int expectedResult, const Calls& expectedCalls) {
    FakeWaveIn* device = &FakeWaveIn::Reset(script);
    LoggingEngine engine;
    EXPECT_EQ(engine.Start(1, 44100), expectedResult);
    EXPECT_EQ(WithoutRepeatedResets(device->Calls()), expectedCalls);
    EXPECT_FALSE(ThreadIsRunning(static_cast<DWORD>(device->callback)));
    // The headers sit in the buffers' region: freed with it, so not to be read here.
    if (!device->prepared.empty()) {
        EXPECT_TRUE(MemoryIsFree(device->prepared[0]));
    }
    EXPECT_FALSE(engine.IsBusy());
    EXPECT_EQ(engine.stoppedCalls, 1);
    EXPECT_EQ(engine.Stop(), 0);  // not started: nothing to do

    device = &FakeWaveIn::Reset();
    EXPECT_EQ(engine.Start(1, 44100), kCaptureOk);
    EXPECT_EQ(engine.Stop(), 0);
}

}  // namespace

TEST(CaptureEngine, AFailedPrepareIsUndone) {
    FakeWaveInScript script;
    script.failPrepareCall = 2;
    ExpectCleanFailure(script, kCaptureBuffersFailed, {"open", "prepare", "prepare", "unprepare 1", "close"});
}

TEST(CaptureEngine, AFailedSecondAddBufferIsUndone) {
    FakeWaveInScript script;
    script.failAddBufferCall = 2;
    ExpectCleanFailure(script, kCaptureBuffersFailed,
                       {"open", "prepare", "prepare", "add", "add", "reset", "unprepare 2",
                        "unprepare 1", "close"});
}

TEST(CaptureEngine, AFailedDeviceStartIsUndone) {
    FakeWaveInScript script;
    script.startResult = MMSYSERR_ERROR;
    ExpectCleanFailure(script, kCaptureBuffersFailed,
                       {"open", "prepare", "prepare", "add", "add", "start", "reset",
                        "unprepare 2", "unprepare 1", "close"});
}

TEST(CaptureEngine, AFailureOfTheEnginesOwnStepIsUndone) {
    FakeWaveIn* device = &FakeWaveIn::Reset();
    LoggingEngine engine;
    engine.openedResult = -4;
    EXPECT_EQ(engine.Start(1, 44100), -4);
    EXPECT_EQ(device->Calls(), (Calls{"open", "close"}));
    EXPECT_FALSE(ThreadIsRunning(static_cast<DWORD>(device->callback)));
    EXPECT_FALSE(engine.IsBusy());
}

// A buffer the device refuses to take back must not make Stop wait for it forever.
TEST(CaptureEngine, ABufferThatCannotBeRequeuedCountsAsReturned) {
    FakeWaveInScript script;
    script.failAddBufferCall = 3;  // the worker's first re-queue
    FakeWaveIn& device = FakeWaveIn::Reset(script);
    LoggingEngine engine;
    ASSERT_EQ(engine.Start(1, 44100), kCaptureOk);
    ASSERT_TRUE(device.Deliver(8820, 3));
    EXPECT_EQ(device.Queued(), 1u);
    EXPECT_EQ(engine.Stop(), 0);
}

// The device cannot be closed: it may still own the buffers, so they stay, the engine
// stays busy and Stop reports the failure.
TEST(CaptureEngine, AFailedCloseLeavesTheEngineBusy) {
    FakeWaveInScript script;
    script.closeResult = MMSYSERR_ERROR;
    FakeWaveIn& device = FakeWaveIn::Reset(script);
    LoggingEngine& engine = EngineLeftBusy();
    ASSERT_EQ(engine.Start(1, 44100), kCaptureOk);
    EXPECT_EQ(engine.Stop(), kCaptureStopFailed);
    EXPECT_TRUE(engine.IsBusy());
    EXPECT_FALSE(MemoryIsFree(device.prepared[0]->lpData));
    EXPECT_EQ(engine.Start(1, 44100), kCaptureAlreadyRunning);
}

// An unplugged or hung device that never hands its buffers back must not freeze the window
// on stop, nor keep the engine from the next take: after about ten seconds of resets it is
// given up on, its buffers left to it, and what was captured is finished.
TEST(CaptureEngine, ADeviceThatKeepsItsBuffersIsGivenUpOnAfterTenSeconds) {
    FakeWaveInScript script;
    script.hung = true;
    FakeWaveIn& device = FakeWaveIn::Reset(script);
    LoggingEngine& engine = EngineLeftBusy();
    ASSERT_EQ(engine.Start(1, 44100), kCaptureOk);
    EXPECT_EQ(engine.Stop(), 0);
    EXPECT_EQ(device.WaitedMs(), 10000u);
    EXPECT_EQ(engine.stoppedCalls, 1);
    EXPECT_FALSE(engine.IsBusy());
    EXPECT_FALSE(MemoryIsFree(device.prepared[0]->lpData));  // the device may still write there
    EXPECT_FALSE(ThreadIsRunning(static_cast<DWORD>(device.callback)));
}

// A reset refused as unplugged is a device gone before it was seen to go; any other refusal
// may leave the buffers with a device that still writes to them.
TEST(CaptureEngine, AResetRefusedAsUnpluggedGivesTheDeviceUpAndAnyOtherFailsStopAtOnce) {
    FakeWaveInScript script;
    script.resetResult = MMSYSERR_NODRIVER;
    FakeWaveIn* device = &FakeWaveIn::Reset(script);
    LoggingEngine& engine = EngineLeftBusy();
    ASSERT_EQ(engine.Start(1, 44100), kCaptureOk);
    EXPECT_EQ(engine.Stop(), 0);
    EXPECT_EQ(device->WaitedMs(), 0u);
    EXPECT_FALSE(engine.IsBusy());

    script.resetResult = MMSYSERR_ERROR;
    device = &FakeWaveIn::Reset(script);
    ASSERT_EQ(engine.Start(1, 44100), kCaptureOk);
    EXPECT_EQ(engine.Stop(), kCaptureStopFailed);
    EXPECT_EQ(device->WaitedMs(), 0u);
    EXPECT_TRUE(engine.IsBusy());
    EXPECT_FALSE(MemoryIsFree(device->prepared[0]->lpData));
}

// A Start undone after the device opened, whose device then cannot be closed: as after a
// failed Stop, the buffers stay with the device and the engine stays busy.
TEST(CaptureEngine, AFailedCloseDuringAnUndoneStartLeavesTheEngineBusy) {
    FakeWaveInScript script;
    script.startResult = MMSYSERR_ERROR;
    script.closeResult = MMSYSERR_ERROR;
    FakeWaveIn& device = FakeWaveIn::Reset(script);
    LoggingEngine& engine = EngineLeftBusy();
    EXPECT_EQ(engine.Start(1, 44100), kCaptureBuffersFailed);
    EXPECT_EQ(device.Calls().back(), "close");
    EXPECT_EQ(engine.stoppedCalls, 1);  // every buffer came back before the close
    EXPECT_TRUE(engine.IsBusy());
    EXPECT_FALSE(MemoryIsFree(device.prepared[0]->lpData));
    EXPECT_EQ(engine.Start(1, 44100), kCaptureAlreadyRunning);
}

// The worker stores a block's tick while the caller reads the clock: the caller may have read
// it just before, and the clock wraps every 49.7 days. Neither is a long silence.
TEST(CaptureEngine, SilenceIsNeverCountedFromABlockAheadOfTheClockNorAcrossItsWrap) {
    FakeWaveIn& device = FakeWaveIn::Reset();
    device.SetClock(0xFFFFFF00u);
    LoggingEngine engine;
    ASSERT_EQ(engine.Start(1, 44100), kCaptureOk);
    device.SetClock(0x100u);
    EXPECT_EQ(engine.SilentMs(), 0x200u);
    ASSERT_TRUE(device.Deliver(8820, 1));  // stored at 0x100
    device.SetClock(0xFFu);                // read just before it was stored
    EXPECT_EQ(engine.SilentMs(), 0u);
    device.SetClock(0x100u + kGoneSilentMs);
    EXPECT_EQ(engine.SilentMs(), kGoneSilentMs);
    EXPECT_EQ(engine.Stop(), 0);
}

// A device given up on may still write into the buffers and headers it kept: the next take
// must not hand the same ones to the next device.
TEST(CaptureEngine, TheTakeAfterADeviceGivenUpOnHasBuffersAndHeadersOfItsOwn) {
    FakeWaveInScript script;
    script.hung = true;
    FakeWaveIn* device = &FakeWaveIn::Reset(script);
    LoggingEngine& engine = EngineLeftBusy();
    ASSERT_EQ(engine.Start(1, 44100), kCaptureOk);
    ASSERT_EQ(engine.Stop(), 0);
    const std::vector<WAVEHDR*> kept = device->prepared;
    ASSERT_EQ(kept.size(), 2u);

    device = &FakeWaveIn::Reset();
    ASSERT_EQ(engine.Start(1, 44100), kCaptureOk);
    ASSERT_EQ(device->prepared.size(), 2u);
    for (WAVEHDR* header : device->prepared) {
        EXPECT_EQ(std::find(kept.begin(), kept.end(), header), kept.end());
        for (WAVEHDR* old : kept) EXPECT_NE(header->lpData, old->lpData);
    }
    EXPECT_EQ(engine.Stop(), 0);
    EXPECT_TRUE(MemoryIsFree(device->prepared[0]));
    EXPECT_FALSE(MemoryIsFree(kept[0]));  // still the old device's, never freed
    EXPECT_FALSE(MemoryIsFree(kept[0]->lpData));
}
