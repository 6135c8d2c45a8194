// Where the time line draws its ticks, labels, clip fill, cursor and spot markers, and how
// a position is clamped and kept in view. Plain arithmetic, no window needed.
#pragma once
#include <cstdint>
#include <set>

namespace timeline {

constexpr int kPixelsPerSecond = 5;
constexpr int kRulerHeight = 22;
constexpr int kScrollBarHeight = 9;
constexpr uint32_t kLabelEveryMs = 10000;  // long tick, label and grid line
constexpr uint32_t kShortTickEveryMs = 1000;
constexpr int kLongTickLength = 11;   // rows y0 + 1 ... y0 + 11
constexpr int kShortTickLength = 6;   // rows y0 + 1 ... y0 + 6
constexpr int kLabelOffsetY = 12;     // label top below the ruler's top row
constexpr int kMarkerWidth = 9;
constexpr int kMarkerHeight = 6;

enum class Tick { kNone, kShort, kLong };

// Milliseconds between two pixel columns.
constexpr uint32_t ColumnStepMs(int pixelsPerSecond) { return 1000u / static_cast<uint32_t>(pixelsPerSecond); }

// Milliseconds shown by a client width.
constexpr uint32_t VisibleSpanMs(int width, int pixelsPerSecond) {
    return static_cast<uint32_t>(width) * 1000u / static_cast<uint32_t>(pixelsPerSecond);
}

// The view start rounded down to a column step: ticks, labels and grid are laid out from it.
constexpr uint32_t AlignedViewStart(uint32_t viewStart, int pixelsPerSecond) {
    return viewStart - viewStart % ColumnStepMs(pixelsPerSecond);
}

Tick TickAt(uint32_t ms);

// The label of a 10-second mark that scrolled off the left edge but whose tail still shows.
struct LeadingLabel {
    bool visible;
    uint32_t ms;  // the mark it names
    int x;        // left edge of its text, negative
};
LeadingLabel LeadingLabelFor(uint32_t viewStart, int pixelsPerSecond);

// Right edge (exclusive) of the clip fill; 0 or less means nothing is filled.
int ClipFillRight(uint32_t length, uint32_t viewStart, int pixelsPerSecond, int width);

// Column of a time within the view, or -1 when it lies outside [view start, view end).
int ColumnOf(uint32_t ms, uint32_t viewStart, int pixelsPerSecond, int width);

// The time under a click at client column x.
uint32_t TimeAtColumn(int x, uint32_t viewStart, int pixelsPerSecond);

// A requested position brought inside the clip: negative gives 0, the length or beyond gives
// the last millisecond, an empty clip gives 0.
uint32_t ClampPosition(int32_t requested, uint32_t length);

// Scroll requests that bring the cursor back into a page that starts at viewStart.
struct ScrollRequests {
    bool toCursor;        // scroll so the cursor is the left edge
    uint32_t cursorLeft;
    bool toRightEdge;     // scroll so the cursor is the rightmost column
    uint32_t rightEdgeStart;
};
ScrollRequests KeepInView(uint32_t position, uint32_t viewStart, uint32_t page);

// The envelope: each column a bar centred in the clip area (below the scroll bar), from no
// bar at kEnvelopeFloorDb or below to the area's full height at full scale.
constexpr double kEnvelopeFloorDb = -60.0;
struct Bar {
    int top, bottom;  // rows [top, bottom); empty when top >= bottom
};
Bar EnvelopeBar(double peakDb, int areaTop, int areaBottom);

// What the picture depends on besides the spots and the size.
struct View {
    uint32_t viewStart;
    uint32_t position;
    uint32_t length;
};

// Column of the centre of a spot's marker, or -1 when the marker is not drawn.
int MarkerColumn(uint32_t spot, const View& view, int pixelsPerSecond, int width);

// The part of the picture that may differ between two views with the same spots, so that
// a change repaints only that. The ruler, its labels and the grid's places follow the
// aligned view start: when it moves, everything does. Otherwise only columns of the clip
// area change: those between the two clip-fill edges (fill and grid colour), the two cursor
// columns and the markers that move, appear or go, gathered in one span [first, last).
struct Change {
    bool everything;
    int first, last;  // clip-area columns; none when first >= last
};
Change ChangedPart(const View& before, const View& after, const std::set<uint32_t>& spots,
                   int pixelsPerSecond, int width);

}  // namespace timeline
