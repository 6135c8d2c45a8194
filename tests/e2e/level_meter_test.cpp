// The level meter of the main window follows the microphone while nothing is recorded or
// played: sound into the sink raises the bar, silence lets it fall to nothing.
#include <gtest/gtest.h>
#include <algorithm>
#include "app_harness.h"
#include "tone_player.h"

using namespace e2e;

namespace {

TEST(LevelMeter, RisesWithSoundFromTheMicrophoneAndFallsInSilence) {
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    // Silence first: the listener's samples are all but zero.
    EXPECT_TRUE(WaitFor([&] { return LitMeterRows(app.MainWindow()) == 0; }, 10000));

    // The level is the first sample of each 100 ms block, so any one reading may be low: wait
    // for a tall bar. 997 Hz, unlike 1000 Hz, does not start every block at the same phase.
    TonePlayer tone(997.0, 0.8, 25);
    ASSERT_TRUE(tone.IsPlaying());
    int highest = 0;
    EXPECT_TRUE(WaitFor([&] { return (highest = std::max(highest, LitMeterRows(app.MainWindow()))) >= 20; }, 20000))
        << "highest bar: " << highest << " rows";
    tone.Stop();

    EXPECT_TRUE(WaitFor([&] { return LitMeterRows(app.MainWindow()) == 0; }, 10000));
}

}  // namespace
