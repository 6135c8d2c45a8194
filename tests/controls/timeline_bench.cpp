// Repaint time of the main window's time line (266 x 90) showing a two-hour clip with 24
// spots: median of 1000 immediate repaints, each drawn off screen and copied in one block.
#include <windows.h>
#include <algorithm>
#include <cstdio>
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
    if (!host.Create(nullptr, RECT{40, 40, 340, 200}, L"bench", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE)) return 1;
    CTimeLineCtrl line;
    if (!line.Create(host, RECT{11, 20, 277, 110})) return 1;
    constexpr uint32_t kTwoHours = 7200000;
    std::set<uint32_t> spots;
    for (int i = 0; i < 24; ++i) spots.insert(150000 + i * 290000);  // one per ~5 minutes
    line.SetLength(kTwoHours);
    line.SetSpots(spots);
    line.SetPosition(3600000);  // an hour in: the view scrolls to it, with a spot in sight
    Pump();

    constexpr int kRepaints = 1000;
    std::vector<double> ms;
    ms.reserve(kRepaints);
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    for (int i = 0; i < kRepaints; ++i) {
        LARGE_INTEGER before, after;
        ::QueryPerformanceCounter(&before);
        line.RedrawNow();
        ::QueryPerformanceCounter(&after);
        ms.push_back(1000.0 * (after.QuadPart - before.QuadPart) / frequency.QuadPart);
        if (i % 50 == 0) Pump();
    }
    std::sort(ms.begin(), ms.end());
    printf("controls.timeline_repaint_ms: %.3f ms\n", ms[kRepaints / 2]);
    return 0;
}
