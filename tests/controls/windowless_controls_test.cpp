// Controls whose window was never created take every setter the main window calls without
// touching the desktop or the thread: no repaint of the null window (the whole desktop),
// no post that would become a thread message, no thread timer.
#include <gtest/gtest.h>
#include "controls/blinking_image.h"
#include "controls/custom_scroll_bar.h"
#include "controls/time_line_ctrl.h"
#include "controls/volume_ctrl.h"
#include "null_window_calls.h"

namespace {

TEST(WindowlessControls, TouchNeitherTheDesktopNorTheThread) {
    test::NullWindowCalls calls;
    ASSERT_TRUE(calls.Watching());
    // The watcher sees a null-window call when one is made.
    PostMessageW(nullptr, WM_NULL, 0, 0);
    ASSERT_EQ(calls.Count(), 1);

    CVolumeCtrl meter;
    meter.SetLevel(20000);
    CTimeLineCtrl line;
    line.SetLength(60000);
    line.SetPosition(5000);
    CCustomScrollBar bar;
    bar.SetRange(60000);
    bar.SetPage(1000);
    bar.SetPos(3000);
    CBlinkingImage blink;
    blink.StartBlinking();
    blink.StopBlinking();

    EXPECT_EQ(calls.Count(), 1);
    // The settings are kept for when the window exists.
    EXPECT_EQ(line.GetPosition(), 5000u);
    EXPECT_TRUE(blink.ShowsSteadyImage());
}

}  // namespace
