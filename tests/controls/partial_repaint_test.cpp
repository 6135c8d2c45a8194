// The controls repaint only what a change touches. What they then show on screen must be
// exactly what a whole repaint draws, through the changes a recording makes ten times a
// second: the clip growing, the cursor following it, the view scrolling, spots coming
// into sight, the level and the time moving.
#include <gtest/gtest.h>
#include <cstdint>
#include <set>
#include <sstream>
#include <string>
#include "controls/control_messages.h"
#include "controls/time_ind.h"
#include "controls/time_line_ctrl.h"
#include "controls/volume_ctrl.h"
#include "framework/app_module.h"
#include "test_support.h"

namespace {

constexpr int kW = 266, kH = 90;

// Empty when the window shows, within `area`, what a whole repaint draws; else the first
// pixel that differs.
std::string DifferenceFromWholeRepaint(HWND window, const RECT& area) {
    RECT client;
    ::GetClientRect(window, &client);
    const test::Capture shown(window, client.right, client.bottom, test::CaptureFrom::Screen);
    const test::Capture whole(window, client.right, client.bottom);
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (shown.At(x, y) == whole.At(x, y)) continue;
            std::ostringstream out;
            out << "at " << x << "," << y << " the screen shows " << std::hex << shown.At(x, y) << ", a whole repaint "
                << whole.At(x, y);
            return out.str();
        }
    }
    return {};
}

class PartialRepaint : public ::testing::Test {
protected:
    void SetUp() override {
        g_module.Init(GetModuleHandleW(nullptr));
        ASSERT_NE(host.CreateHost(kW + 100, kH + 20), nullptr);
        ASSERT_NE(line.Create(host, RECT{10, 10, 10 + kW, 10 + kH}), nullptr);
        ASSERT_NE(meter.Create(host, RECT{kW + 20, 10, kW + 29, 69}), nullptr);
        ASSERT_NE(indicator.Create(host, RECT{kW + 40, 10, kW + 93, 28}), nullptr);
        line.SetLinkedWindow(indicator);
        test::Pump();
    }
    // The time line below its scroll bar, the scroll bar between its arrows (child windows
    // that a capture of the bar leaves out), the meter and the time indicator.
    void ExpectAllAsWholeRepaints(const std::string& when) {
        test::Pump();
        EXPECT_EQ(DifferenceFromWholeRepaint(line, RECT{0, 9, kW, kH}), "") << "time line, " << when;
        EXPECT_EQ(DifferenceFromWholeRepaint(line.ScrollBar(), RECT{11, 0, kW - 11, 9}), "") << "scroll bar, " << when;
        EXPECT_EQ(DifferenceFromWholeRepaint(meter, RECT{0, 0, 9, 59}), "") << "meter, " << when;
        EXPECT_EQ(DifferenceFromWholeRepaint(indicator, RECT{0, 0, 53, 18}), "") << "time indicator, " << when;
    }
    test::HostWindow host;
    CTimeLineCtrl line;
    CVolumeCtrl meter;
    CTimeInd indicator;
};

TEST_F(PartialRepaint, ARecordingPastOnePageShowsWhatAWholeRepaintDraws) {
    line.SetSpots(std::set<uint32_t>{3000, 30000, 58000, 61000});
    uint32_t noise = 12345;
    // Ticks at uneven steps, as a timer on a busy machine delivers them, through the first
    // page and well into the scrolling.
    for (uint32_t elapsed = 0, tick = 0; elapsed < 75000; ++tick, elapsed += 90 + tick % 3 * 15) {
        if (elapsed >= 40000 && elapsed < 40100) line.SetSpots(std::set<uint32_t>{3000, 30000, 40000, 58000, 61000});
        if (tick % 2 == 0) {  // as the main window's tick does, or one change at a time
            const CTimeLineCtrl::DrawOnce drawOnce(line);
            line.SetLength(elapsed);
            line.SetPosition(static_cast<int32_t>(elapsed));
        } else {
            line.SetLength(elapsed);
            line.SetPosition(static_cast<int32_t>(elapsed));
        }
        noise = noise * 1103515245u + 12345u;
        meter.SetLevel(static_cast<int>(noise >> 15) % 65537);
        if (tick % 4 == 0) ExpectAllAsWholeRepaints("at " + std::to_string(elapsed) + " ms");
        if (HasFailure()) return;
    }
    // Then the recording stops at a slightly shorter length, and the cursor goes back.
    line.SetLength(74000);
    line.SetPosition(74000);
    ExpectAllAsWholeRepaints("after the stop");
    line.SetPosition(20000);
    ExpectAllAsWholeRepaints("after a jump back");
    line.SetLength(0);
    meter.SetLevel(0);
    ExpectAllAsWholeRepaints("emptied");
}

// The main window's tick holds the time line's drawing while it moves the length and the
// cursor: nothing shows in between, and everything shows once the hold ends.
TEST_F(PartialRepaint, ATickHeldByDrawOnceShowsNothingUntilItsEnd) {
    line.SetLength(10000);
    line.SetPosition(10000);
    test::Pump();
    const test::Capture before(line, kW, kH, test::CaptureFrom::Screen);
    auto changedPixels = [this, &before] {
        const test::Capture now(line, kW, kH, test::CaptureFrom::Screen);
        int changed = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) changed += before.At(x, y) != now.At(x, y);
        return changed;
    };
    {
        const CTimeLineCtrl::DrawOnce drawOnce(line);
        line.SetLength(30000);
        line.SetPosition(30000);
        EXPECT_EQ(changedPixels(), 0) << "drawn while the tick held the drawing";
    }
    ExpectAllAsWholeRepaints("after the held tick");
    EXPECT_GT(changedPixels(), 0) << "the clip grown by the tick does not show";
}

}  // namespace
