// The custom scroll bar's arithmetic: thumb size and place, clamping, page, arrow and drag
// steps. Values are milliseconds, sizes pixels; no window needed.
#pragma once
#include <cstdint>

namespace scroll {

constexpr int kArrowWidth = 11;
constexpr int kBarHeight = 9;

// Pixels of the track that a span of `value` ms takes.
int TrackPixels(int trackWidth, uint32_t range, uint32_t value);

// True when there is something to scroll: a thumb is shown and presses count.
constexpr bool CanScroll(uint32_t range, uint32_t page) { return range != 0 && page < range; }

// The position SetPos stores: kept at most range - page while the range is at least a page.
uint32_t ClampPos(uint32_t requested, uint32_t range, uint32_t page);

// A signed step from `position`, stopped at 0 (the upper end is ClampPos's business).
uint32_t StepFrom(uint32_t position, int64_t delta);

// Milliseconds an arrow click moves: about 1.1 track pixels' worth.
uint32_t ArrowStep(uint32_t range, int trackWidth);

// Milliseconds a drag of dx pixels moves.
int64_t DragDelta(uint32_t range, int trackWidth, int dx);

struct Thumb {
    int left;   // client x of its first column
    int width;
};
Thumb ThumbAt(uint32_t position, uint32_t range, int thumbWidth, int trackWidth);

enum class Press { kIgnored, kPageLeft, kDrag, kPageRight };
// What a left-button press at client x does.
Press ClassifyPress(int x, uint32_t range, uint32_t page, const Thumb& thumb, int trackWidth);

// Whether the pointer at client x is over the thumb.
bool OverThumb(int x, const Thumb& thumb);

}  // namespace scroll
