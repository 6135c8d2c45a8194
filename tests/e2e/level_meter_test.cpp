// The level meter of the main window follows the microphone while nothing is recorded or
// played: sound into the sink raises the bar, silence lets it fall to nothing.
#include <gtest/gtest.h>
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

    // The level is one sample per block, so any one reading may be low: wait for a tall bar.
    TonePlayer tone(1000.0, 0.8, 15);
    ASSERT_TRUE(tone.IsPlaying());
    EXPECT_TRUE(WaitFor([&] { return LitRows(app.MainWindow()) >= 20; }, 10000));
    tone.Stop();

    EXPECT_TRUE(WaitFor([&] { return LitRows(app.MainWindow()) == 0; }, 10000));
}

}  // namespace
