// The clip player's states and operations, on the test environment's null sink. What it
// sounds like is checked by player_sound_test.sh, which records the sink.
#include "audio/playback/clip_player.h"
#include "fake_wave_out.h"
#include "playback_corpus.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr uint32_t kNone = 0xFFFFFFFFu;

// Polls the player's state until it is no longer `state`, for at most `ms`.
bool WaitWhileState(ClipPlayer& player, int state, DWORD ms) {
    const DWORD start = GetTickCount();
    while (player.GetState() == state) {
        if (GetTickCount() - start > ms) return false;
        Sleep(10);
    }
    return true;
}

std::wstring Clip(const char* name) { return corpus::PathOf(name); }

// The start time is this playback's, taken between the two clock readings.
bool StartTimeBetween(const ClipPlayer& player, DWORD before, DWORD after) {
    return player.GetStartTime() - before <= after - before;
}

TEST(ClipPlayerStates, ANewPlayerIsClosedAndRefusesWhatNeedsAFile) {
    ClipPlayer player;
    EXPECT_EQ(player.GetState(), ClipPlayer::kClosed);
    EXPECT_EQ(player.GetDuration(), kNone);
    EXPECT_FALSE(player.Open());  // no path
    EXPECT_FALSE(player.Prepare());
    EXPECT_FALSE(player.Play());
    EXPECT_FALSE(player.Stop());
    EXPECT_TRUE(player.SetOwnerWindow(nullptr));
    EXPECT_EQ(player.Level(), 0);
    EXPECT_TRUE(player.Close());
    EXPECT_EQ(player.GetState(), ClipPlayer::kClosed);
}

TEST(ClipPlayerStates, OpenPrepareAndDuration) {
    ClipPlayer player;
    ASSERT_TRUE(player.SetFile(Clip("recording.mp3").c_str()));
    ASSERT_TRUE(player.Open());
    EXPECT_EQ(player.GetState(), ClipPlayer::kFileOpen);
    EXPECT_EQ(player.GetDuration(), kNone);
    EXPECT_FALSE(player.SetFile(Clip("stereo128.mp3").c_str()));  // only while closed
    EXPECT_FALSE(player.Open());
    ASSERT_TRUE(player.Prepare());
    EXPECT_EQ(player.GetState(), ClipPlayer::kReady);
    EXPECT_NEAR(double(player.GetDuration()), corpus::Find("recording.mp3")->durationMs, 60);
    EXPECT_FALSE(player.Prepare());
    EXPECT_EQ(player.Params().outputSampleRate, 44100u);
    EXPECT_FALSE(player.HalfRate());
    EXPECT_TRUE(player.Close());
    EXPECT_EQ(player.GetDuration(), kNone);
}

TEST(ClipPlayerStates, AMissingFileDoesNotOpen) {
    ClipPlayer player;
    ASSERT_TRUE(player.SetFile((corpus::Folder() + L"/missing.mp3").c_str()));
    EXPECT_FALSE(player.Open());
    EXPECT_EQ(player.GetState(), ClipPlayer::kClosed);
}

TEST(ClipPlayerStates, AFileWithoutAFrameCannotBePreparedAndStaysOpen) {
    for (const char* name : {"garbage_large.mp3", "empty.mp3", "allff.mp3", "freeformat.mp3"}) {
        ClipPlayer player;
        ASSERT_TRUE(player.SetFile(Clip(name).c_str()));
        ASSERT_TRUE(player.Open()) << name;
        EXPECT_FALSE(player.Prepare()) << name;
        EXPECT_EQ(player.GetState(), ClipPlayer::kFileOpen) << name;
        EXPECT_EQ(player.GetDuration(), kNone) << name;
        EXPECT_FALSE(player.PlayRange(Clip(name).c_str(), 0, kNone)) << name;
    }
}

TEST(ClipPlayerRange, FramesFollowTheRange) {
    ClipPlayer player;
    player.SetRange(3000, 6000);  // before Prepare: only the times are kept
    EXPECT_EQ(player.Params().startMs, 3000u);
    EXPECT_EQ(player.Params().endFrame, kNone);
    ASSERT_TRUE(player.SetFile(Clip("recording.mp3").c_str()));
    ASSERT_TRUE(player.Open());
    ASSERT_TRUE(player.Prepare());
    player.SetRange(3000, 6000);
    EXPECT_EQ(player.Params().startFrame, 114u);  // 3000 / 26.12244987487793
    EXPECT_EQ(player.Params().endFrame, 229u);
    for (uint32_t end : {0u, kNone, 2999u}) {
        player.SetRange(3000, end);
        EXPECT_EQ(player.Params().endMs, kNone) << end;
        EXPECT_EQ(player.Params().endFrame, kNone) << end;
    }
}

TEST(ClipPlayerRange, The48000HzClipIsSynthesisedAtHalfRateAndTheNextOneIsNot) {
    ClipPlayer player;
    ASSERT_TRUE(player.SetFile(Clip("stereo48.mp3").c_str()));
    ASSERT_TRUE(player.Open());
    ASSERT_TRUE(player.Prepare());
    EXPECT_TRUE(player.HalfRate());
    EXPECT_EQ(player.Params().outputSampleRate, 24000u);
    ASSERT_TRUE(player.Close());
    ASSERT_TRUE(player.SetFile(Clip("recording.mp3").c_str()));
    ASSERT_TRUE(player.Open());
    ASSERT_TRUE(player.Prepare());
    EXPECT_FALSE(player.HalfRate());
    EXPECT_EQ(player.Params().outputSampleRate, 44100u);
}

TEST(ClipPlayerPlayback, PlayTwiceFailsAndStopReturnsToFileOpen) {
    ClipPlayer player;
    const DWORD before = timeGetTime();
    ASSERT_TRUE(player.PlayRange(Clip("stereo128.mp3").c_str(), 0, kNone));
    EXPECT_TRUE(StartTimeBetween(player, before, timeGetTime()));
    EXPECT_EQ(player.GetState(), ClipPlayer::kPlaying);
    EXPECT_FALSE(player.Play());
    EXPECT_FALSE(player.Prepare());
    EXPECT_FALSE(player.SetOwnerWindow(nullptr));
    // Wait until sound is queued, then stop well before the ten seconds are over.
    const DWORD start = GetTickCount();
    while (player.FirstBlockQueuedAt() == 0 && GetTickCount() - start < 20000) Sleep(10);
    ASSERT_NE(player.FirstBlockQueuedAt(), 0);
    const DWORD stopAt = GetTickCount();
    EXPECT_TRUE(player.Stop());
    EXPECT_LT(GetTickCount() - stopAt, 5000u);
    EXPECT_EQ(player.GetState(), ClipPlayer::kFileOpen);
    EXPECT_FALSE(player.Stop());
    // Prepared again, the clip plays again.
    ASSERT_TRUE(player.Prepare());
    ASSERT_TRUE(player.Play());
    EXPECT_TRUE(player.Close());
    EXPECT_EQ(player.GetState(), ClipPlayer::kClosed);
}

TEST(ClipPlayerPlayback, ARangeRunsToItsEndAndLeavesTheLevel) {
    ClipPlayer player;
    ASSERT_TRUE(player.PlayRange(Clip("recording.mp3").c_str(), 8500, kNone));
    ASSERT_TRUE(WaitWhileState(player, ClipPlayer::kPlaying, 30000));
    EXPECT_EQ(player.GetState(), ClipPlayer::kEnded);
    const int16_t level = player.Level();
    EXPECT_NE(level, 0);  // the tones fill the clip to its end
    Sleep(100);
    EXPECT_EQ(player.Level(), level);
    // Ended: Stop returns to the open file at once, and the clip can be prepared again.
    EXPECT_TRUE(player.Stop());
    EXPECT_EQ(player.GetState(), ClipPlayer::kFileOpen);
    ASSERT_TRUE(player.Prepare());
    EXPECT_EQ(player.GetState(), ClipPlayer::kReady);
}

TEST(ClipPlayerPlayback, AStartBeyondTheClipPlaysNothingAndEnds) {
    ClipPlayer player;
    ASSERT_TRUE(player.PlayRange(Clip("recording.mp3").c_str(), 60000, kNone));
    ASSERT_TRUE(WaitWhileState(player, ClipPlayer::kPlaying, 10000));
    EXPECT_EQ(player.GetState(), ClipPlayer::kEnded);
    EXPECT_EQ(player.FirstBlockQueuedAt(), 0);
    EXPECT_EQ(player.Level(), 0);
    // From the ended state the clip can be prepared and played again.
    ASSERT_TRUE(player.Prepare());
    player.SetRange(9500, kNone);
    ASSERT_TRUE(player.Play());
    ASSERT_TRUE(WaitWhileState(player, ClipPlayer::kPlaying, 10000));
    EXPECT_EQ(player.GetState(), ClipPlayer::kEnded);
}

TEST(ClipPlayerPlayback, RandomBytesPlayToTheirEnd) {
    ClipPlayer player;
    ASSERT_TRUE(player.SetFile(Clip("random.mp3").c_str()));
    ASSERT_TRUE(player.Open());
    if (!player.Prepare()) {
        EXPECT_EQ(player.GetState(), ClipPlayer::kFileOpen);
        return;
    }
    // Two seconds of whatever the reader takes for frames, then all of it, stopped at once.
    player.SetRange(0, 2000);
    ASSERT_TRUE(player.Play());
    ASSERT_TRUE(WaitWhileState(player, ClipPlayer::kPlaying, 30000));
    EXPECT_EQ(player.GetState(), ClipPlayer::kEnded);
    player.SetRange(0, kNone);
    ASSERT_TRUE(player.Prepare());
    ASSERT_TRUE(player.Play());
    EXPECT_TRUE(player.Stop());
    EXPECT_EQ(player.GetState(), ClipPlayer::kFileOpen);
}

TEST(ClipPlayerPlayback, AnUnknownDeviceFailsPlayAndKeepsTheClipReady) {
    ClipPlayer player;
    player.Params().device = 77;
    ASSERT_TRUE(player.SetFile(Clip("recording.mp3").c_str()));
    ASSERT_TRUE(player.Open());
    ASSERT_TRUE(player.Prepare());
    const DWORD before = timeGetTime();
    EXPECT_FALSE(player.Play());
    // The position read after a failed Play starts now, not at an earlier playback.
    EXPECT_TRUE(StartTimeBetween(player, before, timeGetTime()));
    EXPECT_EQ(player.GetState(), ClipPlayer::kReady);
    EXPECT_FALSE(player.PlayRange(Clip("recording.mp3").c_str(), 0, kNone));
    EXPECT_EQ(player.GetState(), ClipPlayer::kReady);
}

TEST(ClipPlayerPlayback, DestroyingAPlayingPlayerStopsIt) {
    auto player = std::make_unique<ClipPlayer>();
    ASSERT_TRUE(player->PlayRange(Clip("stereo48.mp3").c_str(), 1000, 5000));
    player.reset();
    // The file is free again once the player is gone.
    const std::wstring copy = corpus::Folder() + L"/destroyed.mp3";
    ASSERT_TRUE(CopyFileW(Clip("stereo48.mp3").c_str(), copy.c_str(), FALSE));
    auto second = std::make_unique<ClipPlayer>();
    ASSERT_TRUE(second->PlayRange(copy.c_str(), 0, 3000));
    EXPECT_FALSE(DeleteFileW(copy.c_str()));
    second.reset();
    EXPECT_TRUE(DeleteFileW(copy.c_str()));
}

// The clip locked by another handle while it plays. Windows fails the worker's reads, and
// the playback ends as if the clip had ended; Wine lets reads pass a lock, and the clip
// plays to its end. Either way the playback ends by itself in the ended state.
TEST(ClipPlayerPlayback, AClipLockedWhilePlayingEndsThePlayback) {
    const std::wstring copy = corpus::Folder() + L"/locked.mp3";
    ASSERT_TRUE(CopyFileW(Clip("recording.mp3").c_str(), copy.c_str(), FALSE));
    ClipPlayer player;
    ASSERT_TRUE(player.SetFile(copy.c_str()));
    ASSERT_TRUE(player.Open());
    ASSERT_TRUE(player.Prepare());
    HANDLE other = CreateFileW(copy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    OVERLAPPED everything = {};
    ASSERT_TRUE(LockFileEx(other, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0,
                           MAXDWORD, MAXDWORD, &everything));
    // From 8 s on: beyond what the reader still holds in memory from Prepare.
    player.SetRange(8000, kNone);
    ASSERT_TRUE(player.Play());
    ASSERT_TRUE(WaitWhileState(player, ClipPlayer::kPlaying, 5000));
    EXPECT_EQ(player.GetState(), ClipPlayer::kEnded);
    UnlockFileEx(other, 0, MAXDWORD, MAXDWORD, &everything);
    CloseHandle(other);
    player.Close();
    DeleteFileW(copy.c_str());
}

// A device that takes blocks and never hands one back (hung, unplugged): the playback gives
// it up after the stall wait and a bounded close, and ends by itself, so that Stop and Close
// never wait for it for ever.
TEST(ClipPlayerHungDevice, ThePlaybackEndsByItself) {
    hung_wave_out::Reset();
    ClipPlayer player(hung_wave_out::Api());
    ASSERT_TRUE(player.PlayRange(Clip("recording.mp3").c_str(), 0, kNone));
    ASSERT_TRUE(WaitWhileState(player, ClipPlayer::kPlaying, 30000));
    EXPECT_EQ(player.GetState(), ClipPlayer::kEnded);
    // one stall wait, then a second of the reset's wait for returned blocks and the close
    EXPECT_GT(hung_wave_out::WaitedMs(), WaveOutput::kStallMs);
    EXPECT_LT(hung_wave_out::WaitedMs(), WaveOutput::kStallMs + 1000 + WaveOutput::kCloseGiveUpMs + 200);
    const int closeCalls = hung_wave_out::CloseCalls();
    EXPECT_GT(closeCalls, 1);
    EXPECT_TRUE(player.Close());
    EXPECT_EQ(hung_wave_out::CloseCalls(), closeCalls);  // the handle was let go of
}

// Run by CTest with the sound server out of reach (QB_EXPECT_NO_DEVICE=1): no device at all.
TEST(ClipPlayerNoDevice, PlayFailsAndTheClipStaysReady) {
    if (!std::getenv("QB_EXPECT_NO_DEVICE")) GTEST_SKIP() << "sound devices present";
    ASSERT_EQ(waveOutGetNumDevs(), 0u);
    ClipPlayer player;
    ASSERT_TRUE(player.SetFile(Clip("recording.mp3").c_str()));
    ASSERT_TRUE(player.Open());
    ASSERT_TRUE(player.Prepare());
    EXPECT_FALSE(player.Play());
    EXPECT_EQ(player.GetState(), ClipPlayer::kReady);
}

}  // namespace
