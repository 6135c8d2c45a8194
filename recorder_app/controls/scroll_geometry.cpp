#include "scroll_geometry.h"

namespace scroll {

int TrackPixels(int trackWidth, uint32_t range, uint32_t value) {
    if (range == 0) return 0;
    return static_cast<int>(static_cast<double>(static_cast<uint32_t>(trackWidth)) / range * value);
}

uint32_t ClampPos(uint32_t requested, uint32_t range, uint32_t page) {
    if (range >= page && uint64_t{requested} + page > range) return range - page;
    return requested;
}

uint32_t StepFrom(uint32_t position, int64_t delta) {
    const int64_t target = static_cast<int64_t>(position) + delta;
    if (target < 0) return 0;
    return target > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(target);
}

uint32_t ArrowStep(uint32_t range, int trackWidth) {
    if (trackWidth <= 0) return 0;
    const double h = static_cast<double>(range) / trackWidth;
    return static_cast<uint32_t>(h + h * 0.1);
}

int64_t DragDelta(uint32_t range, int trackWidth, int dx) {
    if (trackWidth <= 0) return 0;
    return static_cast<int64_t>(static_cast<double>(range) / trackWidth * dx);
}

Thumb ThumbAt(uint32_t position, uint32_t range, int thumbWidth, int trackWidth) {
    return {kArrowWidth + TrackPixels(trackWidth, range, position), thumbWidth};
}

Press ClassifyPress(int x, uint32_t range, uint32_t page, const Thumb& thumb, int trackWidth) {
    if (!CanScroll(range, page)) return Press::kIgnored;
    // Compared as unsigned, so a press left of the track cannot count as inside it.
    const uint32_t ux = static_cast<uint32_t>(x);
    if (ux < static_cast<uint32_t>(kArrowWidth) || ux >= static_cast<uint32_t>(kArrowWidth + trackWidth))
        return Press::kIgnored;
    if (x < thumb.left) return Press::kPageLeft;
    if (x < thumb.left + thumb.width) return Press::kDrag;
    if (x > thumb.left + thumb.width) return Press::kPageRight;
    return Press::kIgnored;  // exactly at the thumb's right edge
}

bool OverThumb(int x, const Thumb& thumb) {
    const uint32_t ux = static_cast<uint32_t>(x);
    return static_cast<uint32_t>(thumb.left) <= ux && ux < static_cast<uint32_t>(thumb.left + thumb.width);
}

}  // namespace scroll
