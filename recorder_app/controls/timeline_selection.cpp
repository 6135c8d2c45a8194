#include "timeline_selection.h"
#include <algorithm>

namespace timeline {

namespace {
// Past this many pixels beyond the edge the scroll stops speeding up.
constexpr int kFastestDragScrollColumns = 25;
}  // namespace

Selection SelectBetween(uint32_t a, uint32_t b, uint32_t length) {
    a = std::min(a, length);
    b = std::min(b, length);
    return Selection{std::min(a, b), std::max(a, b)};
}

Selection StepSelection(const Selection& current, uint32_t cursor, int direction, uint32_t stepMs,
                        uint32_t length) {
    uint32_t free = cursor;
    if (!current.Empty()) free = current.start == cursor ? current.end : current.start;
    if (direction < 0) free = free > stepMs ? free - stepMs : 0;
    else free = std::min<uint64_t>(uint64_t{free} + stepMs, length);
    return SelectBetween(cursor, free, length);
}

int32_t DragScrollMs(int x, int width, uint32_t stepMs) {
    int beyond = 0;
    if (x < 0) beyond = x;
    else if (x >= width) beyond = x - width + 1;
    beyond = std::clamp(beyond, -kFastestDragScrollColumns, kFastestDragScrollColumns);
    return beyond * static_cast<int32_t>(stepMs);
}

Columns SelectionColumns(const Selection& selection, uint32_t alignedViewStart, uint32_t stepMs, int width) {
    if (selection.Empty() || stepMs == 0 || width <= 0) return {0, 0};
    const uint64_t viewEnd = alignedViewStart + uint64_t{stepMs} * static_cast<uint64_t>(width);
    if (selection.end <= alignedViewStart || selection.start >= viewEnd) return {0, 0};
    const uint32_t from = std::max(selection.start, alignedViewStart) - alignedViewStart;
    const uint64_t to = std::min<uint64_t>(selection.end, viewEnd) - alignedViewStart;
    // A column is selected when any of its 200 ms lie in the stretch.
    return {static_cast<int>(from / stepMs), static_cast<int>((to + stepMs - 1) / stepMs)};
}

}  // namespace timeline
