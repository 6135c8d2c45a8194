// Every GDI object a control makes is given back: over many repaints, and over creating
// and destroying every control.
#include <gtest/gtest.h>
#include <cstdio>
#include "controls/bitmap_button.h"
#include "controls/blinking_image.h"
#include "controls/gdi_resources.h"
#include "controls/time_ind.h"
#include "controls/time_line_ctrl.h"
#include "controls/volume_ctrl.h"
#include "framework/app_module.h"
#include "res/bitmap_ids.h"
#include "test_support.h"

namespace {

class GdiLeaks : public ::testing::Test {
protected:
    void SetUp() override {
        g_module.Init(GetModuleHandleW(nullptr));
        ASSERT_NE(host.CreateHost(500, 300), nullptr);
    }
    test::HostWindow host;
};

TEST_F(GdiLeaks, TheCounterSeesObjectsComeAndGo) {
    const int before = test::GdiObjectCount();
    ASSERT_GT(before, 0);
    HBRUSH brushes[10];
    for (auto& b : brushes) b = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(test::GdiObjectCount(), before + 10);
    for (auto& b : brushes) DeleteObject(b);
    EXPECT_EQ(test::GdiObjectCount(), before);
}

// Builds one of each control with sample data, then lets the destructors take them down.
void CreateEveryControl(HWND parent) {
    CTimeLineCtrl line;
    line.Create(parent, RECT{11, 79, 277, 169});
    line.SetLength(600000);
    line.SetSpots({1000, 20000, 45000});
    line.SetPosition(30000);
    CVolumeCtrl meter;
    meter.Create(parent, RECT{269, 17, 278, 76});
    meter.SetLevel(40000);
    CBlinkingImage blink;
    blink.Create(parent, RECT{114, 68, 172, 75});
    blink.SetImages(IDB_RECORDING_OFF, IDB_RECORDING_ON);
    blink.StartBlinking();
    CTimeInd ind;
    ind.Create(parent, RECT{209, 58, 262, 76});
    CBitmapButton button;
    button.Create(parent, RECT{197, 187, 238, 221}, nullptr, WS_CHILD | WS_VISIBLE, 0, 1002);
    button.SetBitmapButtonExtendedStyle(BMPBTN_HOVER);
    button.SetImageList(controls::CreateImageStrip(IDB_BTN_PLAY, 41, 34, 8));
    button.SetImages(0, 2, 1, 3);
    button.SetToolTipText(L"Play clip");
    button.RedrawNow();
    test::Pump();
}

TEST_F(GdiLeaks, CreatingAndDestroyingEveryControl100Times) {
    CreateEveryControl(host);  // first use sets up caches of the system's own
    test::Pump();
    const int before = test::GdiObjectCount();
    for (int i = 0; i < 100; ++i) CreateEveryControl(host);
    test::Pump();
    const int after = test::GdiObjectCount();
    std::printf("GDI objects around 100 rounds of every control: %d before, %d after\n", before, after);
    EXPECT_EQ(after, before);
}

TEST_F(GdiLeaks, TenThousandRepaints) {
    CTimeLineCtrl line;
    ASSERT_NE(line.Create(host, RECT{11, 79, 277, 169}), nullptr);
    line.SetLength(600000);
    line.SetSpots({1000, 20000, 45000});
    CVolumeCtrl meter;
    ASSERT_NE(meter.Create(host, RECT{300, 17, 309, 76}), nullptr);
    CTimeInd ind;
    ASSERT_NE(ind.Create(host, RECT{320, 58, 373, 76}), nullptr);
    CBlinkingImage blink;
    ASSERT_NE(blink.Create(host, RECT{320, 100, 378, 107}), nullptr);
    blink.SetImages(IDB_RECORDING_OFF, IDB_RECORDING_ON);
    CBitmapButton button;
    ASSERT_NE(button.Create(host, RECT{320, 187, 361, 221}, nullptr, WS_CHILD | WS_VISIBLE, 0, 1002), nullptr);
    button.SetImageList(controls::CreateImageStrip(IDB_BTN_PLAY, 41, 34, 8));
    button.SetImages(0, 2, 1, 3);

    // Each call repaints one control, in turn.
    auto repaint = [&](int i) {
        switch (i % 5) {
        case 0: line.SetPosition(i * 37 % 600000); break;
        case 1: meter.SetLevel(i * 7 % 65536); break;
        case 2: ind.SendMessage(WM_POSITION_CHANGED, 0, i); break;
        case 3: blink.SendMessage(WM_TIMER, 1, 0); break;
        default: button.RedrawNow(); break;
        }
    };
    for (int i = 0; i < 5; ++i) repaint(i);
    test::Pump();
    const int before = test::GdiObjectCount();
    for (int i = 1; i <= 10000; ++i) {
        repaint(i);
        if (i % 100 == 0) test::Pump();
    }
    test::Pump();
    const int after = test::GdiObjectCount();
    std::printf("GDI objects around 10000 repaints: %d before, %d after\n", before, after);
    EXPECT_EQ(after, before);
}

}  // namespace
