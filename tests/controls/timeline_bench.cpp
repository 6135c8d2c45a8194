// Repaint time of the main window's time line (266 x 90) showing a two-hour clip with 24
// spots: median of 1000 immediate repaints, each drawn off screen and copied in one block;
// and the same control with the clip's two-hour envelope beside one without, in turn.
#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <random>
#include <set>
#include <vector>
#include "controls/control_messages.h"
#include "controls/time_line_ctrl.h"
#include "framework/app_module.h"

namespace {

class Host : public CWindowImpl<Host> {
public:
    BEGIN_MSG_MAP(Host)
        MESSAGE_HANDLER(WM_POSITION_CHANGED, OnPositionChanged)
    END_MSG_MAP()
    LRESULT OnPositionChanged(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
};

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
}

}  // namespace

int main() {
    g_module.Init(::GetModuleHandleW(nullptr));
    Host host;
    if (!host.Create(nullptr, RECT{40, 40, 340, 400}, L"bench", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE)) return 1;
    CTimeLineCtrl line;
    if (!line.Create(host, RECT{11, 20, 277, 110})) return 1;
    constexpr uint32_t kTwoHours = 7200000;
    std::set<uint32_t> spots;
    for (int i = 0; i < 24; ++i) spots.insert(150000 + i * 290000);  // one per ~5 minutes
    line.SetLength(kTwoHours);
    line.SetSpots(spots);
    line.SetPosition(3600000);  // an hour in: the view scrolls to it, with a spot in sight
    Pump();

    // A second pair below it, in turn: the same clip with and without a speech-like envelope.
    CTimeLineCtrl plain, drawn;
    if (!plain.Create(host, RECT{11, 120, 277, 210}) || !drawn.Create(host, RECT{11, 220, 277, 310})) return 1;
    levels::Codes codes(levels::BlocksFor(kTwoHours));
    std::mt19937 random(7);
    for (uint8_t& code : codes) code = static_cast<uint8_t>(random() % 4 == 0 ? 90 + random() % 60 : random() % 40);
    drawn.SetLevels(&codes);
    for (CTimeLineCtrl* each : {&plain, &drawn}) {
        each->SetLength(kTwoHours);
        each->SetSpots(spots);
        each->SetPosition(3600000);
    }
    Pump();

    constexpr int kRepaints = 1000;
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    auto time = [&](CTimeLineCtrl& control) {
        LARGE_INTEGER before, after;
        ::QueryPerformanceCounter(&before);
        control.RedrawNow();
        ::QueryPerformanceCounter(&after);
        return 1000.0 * (after.QuadPart - before.QuadPart) / frequency.QuadPart;
    };
    auto median = [](std::vector<double>& ms) {
        std::sort(ms.begin(), ms.end());
        return ms[ms.size() / 2];
    };
    std::vector<double> ms, plainMs, drawnMs;
    for (int i = 0; i < kRepaints; ++i) {
        ms.push_back(time(line));
        plainMs.push_back(time(plain));
        drawnMs.push_back(time(drawn));
        if (i % 50 == 0) Pump();
    }
    printf("controls.timeline_repaint_ms: %.3f ms\n", median(ms));
    const double withEnvelope = median(drawnMs), without = median(plainMs);
    printf("controls.envelope_repaint_ms: %.3f ms\n", withEnvelope);
    printf("controls.envelope_vs_plain: %.2f ratio\n", withEnvelope / without);
    return 0;
}
