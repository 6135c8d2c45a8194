#include "timeline_geometry.h"
#include <algorithm>

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

Bar EnvelopeBar(double peakDb, int areaTop, int areaBottom) {
    const double share = std::clamp((peakDb - kEnvelopeFloorDb) / -kEnvelopeFloorDb, 0.0, 1.0);
    const int height = static_cast<int>(share * (areaBottom - areaTop) + 0.5);
    const int top = areaTop + (areaBottom - areaTop - height) / 2;
    return {top, top + height};
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

int MarkerColumn(uint32_t spot, const View& view, int pixelsPerSecond, int width) {
    if (spot >= view.length) return -1;
    return ColumnOf(spot, view.viewStart, pixelsPerSecond, width);
}

Change ChangedPart(const View& before, const View& after, const std::set<uint32_t>& spots,
                   int pixelsPerSecond, int width) {
    if (AlignedViewStart(before.viewStart, pixelsPerSecond) != AlignedViewStart(after.viewStart, pixelsPerSecond))
        return {true, 0, width};
    Change change{false, 0, 0};
    auto add = [&](int first, int last) {
        first = std::max(first, 0);
        last = std::min(last, width);
        if (first >= last) return;
        const bool none = change.first >= change.last;
        change.first = none ? first : std::min(change.first, first);
        change.last = none ? last : std::max(change.last, last);
    };
    const int fillBefore = ClipFillRight(before.length, before.viewStart, pixelsPerSecond, width);
    const int fillAfter = ClipFillRight(after.length, after.viewStart, pixelsPerSecond, width);
    if (fillBefore != fillAfter) add(std::min(fillBefore, fillAfter), std::max(fillBefore, fillAfter));

    const int cursorBefore = ColumnOf(before.position, before.viewStart, pixelsPerSecond, width);
    const int cursorAfter = ColumnOf(after.position, after.viewStart, pixelsPerSecond, width);
    if (cursorBefore != cursorAfter) {
        if (cursorBefore >= 0) add(cursorBefore, cursorBefore + 1);
        if (cursorAfter >= 0) add(cursorAfter, cursorAfter + 1);
    }

    if (before.viewStart != after.viewStart || before.length != after.length) {
        // Only spots within one of the two views can be drawn in either.
        const uint32_t from = std::min(before.viewStart, after.viewStart);
        const uint64_t to = uint64_t{std::max(before.viewStart, after.viewStart)} + VisibleSpanMs(width, pixelsPerSecond);
        const int half = kMarkerWidth / 2;
        for (auto it = spots.lower_bound(from); it != spots.end() && *it < to; ++it) {
            const int xBefore = MarkerColumn(*it, before, pixelsPerSecond, width);
            const int xAfter = MarkerColumn(*it, after, pixelsPerSecond, width);
            if (xBefore == xAfter) continue;
            if (xBefore >= 0) add(xBefore - half, xBefore + half + 1);
            if (xAfter >= 0) add(xAfter - half, xAfter + half + 1);
        }
    }
    return change;
}

}  // namespace timeline
