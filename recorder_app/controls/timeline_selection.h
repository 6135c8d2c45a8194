// The stretch of the clip selected on the time line: made by dragging, by Shift+click and by
// Shift+Left and Shift+Right, always with the cursor at one of its ends. Plain arithmetic, no
// window needed.
#pragma once
#include <cstdint>

namespace timeline {

struct Selection {
    uint32_t start = 0;
    uint32_t end = 0;  // exclusive
    bool Empty() const { return end <= start; }
    uint32_t Length() const { return Empty() ? 0 : end - start; }
    bool operator==(const Selection& other) const {
        return (Empty() && other.Empty()) || (start == other.start && end == other.end);
    }
    bool operator!=(const Selection& other) const { return !(*this == other); }
};

// The stretch between two times, in either order, kept inside a clip of `length` ms.
Selection SelectBetween(uint32_t a, uint32_t b, uint32_t length);

// Shift+Left (direction -1) and Shift+Right (+1): the end away from the cursor moves by one
// column of `stepMs`, so the selection grows or shrinks from the cursor's side; without a
// selection it starts at the cursor.
Selection StepSelection(const Selection& current, uint32_t cursor, int direction, uint32_t stepMs,
                        uint32_t length);

// While a drag holds the pointer beyond an edge of a `width`-column view: how far the view
// scrolls at each tick, in ms (negative to the left, 0 while the pointer is inside). The
// farther beyond the edge, the faster, from one column a tick.
int32_t DragScrollMs(int x, int width, uint32_t stepMs);

// The columns [first, last) of a view that the selection covers (none when first >= last).
struct Columns {
    int first, last;
};
Columns SelectionColumns(const Selection& selection, uint32_t alignedViewStart, uint32_t stepMs, int width);

}  // namespace timeline
