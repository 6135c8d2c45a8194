// The level meter of the main window follows the microphone while nothing is recorded or
// played: sound into the sink raises the bar, silence lets it fall to nothing.
#include <gtest/gtest.h>
#include <algorithm>
#include "app_harness.h"
#include "tone_player.h"

using namespace e2e;

namespace {

// The meter's place in the main window's client area.
constexpr RECT kMeterRect{269, 17, 278, 76};
constexpr COLORREF kMeterBackground = RGB(0xDA, 0xDA, 0xDA);

// Rows of the meter, read from the screen, that show something other than the background.
int LitRows(HWND mainWindow) {
    POINT origin{kMeterRect.left, kMeterRect.top};
    ClientToScreen(mainWindow, &origin);
    const int width = kMeterRect.right - kMeterRect.left, height = kMeterRect.bottom - kMeterRect.top;
    HDC screen = GetDC(nullptr);
    int lit = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if ((GetPixel(screen, origin.x + x, origin.y + y) & 0xFFFFFF) != kMeterBackground) {
                ++lit;
                break;
            }
        }
    }
    ReleaseDC(nullptr, screen);
    return lit;
}

TEST(LevelMeter, RisesWithSoundFromTheMicrophoneAndFallsInSilence) {
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    // Silence first: the listener's samples are all but zero.
    EXPECT_TRUE(WaitFor([&] { return LitRows(app.MainWindow()) == 0; }, 10000));

    // The level is the first sample of each 100 ms block, so any one reading may be low: wait
    // for a tall bar. 997 Hz, unlike 1000 Hz, does not start every block at the same phase.
    TonePlayer tone(997.0, 0.8, 25);
    ASSERT_TRUE(tone.IsPlaying());
    int highest = 0;
    EXPECT_TRUE(WaitFor([&] { return (highest = std::max(highest, LitRows(app.MainWindow()))) >= 20; }, 20000))
        << "highest bar: " << highest << " rows";
    tone.Stop();

    EXPECT_TRUE(WaitFor([&] { return LitRows(app.MainWindow()) == 0; }, 10000));
}

}  // namespace
