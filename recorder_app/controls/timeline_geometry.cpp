#include "timeline_geometry.h"

namespace timeline {

Tick TickAt(uint32_t ms) {
    if (ms % kLabelEveryMs == 0) return Tick::kLong;
    if (ms % kShortTickEveryMs == 0) return Tick::kShort;
    return Tick::kNone;
}

LeadingLabel LeadingLabelFor(uint32_t viewStart, int pixelsPerSecond) {
    const uint32_t m0 = AlignedViewStart(viewStart, pixelsPerSecond);
    if (m0 == 0) return {false, 0, 0};
    const uint32_t e = m0 % kLabelEveryMs;
    const int x = -static_cast<int>(static_cast<uint32_t>(pixelsPerSecond) * e / 1000u) - 1;
    return {true, m0 - e, x};
}

int ClipFillRight(uint32_t length, uint32_t viewStart, int pixelsPerSecond, int width) {
    const uint32_t pps = static_cast<uint32_t>(pixelsPerSecond);
    // 64-bit products: a two-hour clip times the scale still fits, but nothing wraps either way.
    const int64_t end = static_cast<int64_t>(uint64_t{pps} * length / 1000u);
    const int64_t start = static_cast<int64_t>(uint64_t{pps} * viewStart / 1000u);
    const int64_t extent = end - start;
    return static_cast<int>(extent < width ? extent : width);
}

int ColumnOf(uint32_t ms, uint32_t viewStart, int pixelsPerSecond, int width) {
    if (ms < viewStart) return -1;
    const uint32_t offset = ms - viewStart;
    if (offset >= VisibleSpanMs(width, pixelsPerSecond)) return -1;
    return static_cast<int>(offset * static_cast<uint32_t>(pixelsPerSecond) / 1000u);
}

uint32_t TimeAtColumn(int x, uint32_t viewStart, int pixelsPerSecond) {
    return static_cast<uint32_t>(x) * 1000u / static_cast<uint32_t>(pixelsPerSecond) + viewStart;
}

uint32_t ClampPosition(int32_t requested, uint32_t length) {
    if (requested < 0) return 0;
    if (static_cast<uint32_t>(requested) >= length) return length == 0 ? 0 : length - 1;
    return static_cast<uint32_t>(requested);
}

ScrollRequests KeepInView(uint32_t position, uint32_t viewStart, uint32_t page) {
    ScrollRequests r{false, 0, false, 0};
    if (position < viewStart) {
        r.toCursor = true;
        r.cursorLeft = position;
    }
    // The last visible millisecond is viewStart + page - 1; a cursor at viewStart + page would
    // already stand one column past the right edge, so it scrolls as well.
    if (page != 0 && position >= viewStart + page) {
        r.toRightEdge = true;
        r.rightEdgeStart = position - page + 1;
    }
    return r;
}

}  // namespace timeline
