// The time line's clip area with the clip's envelope drawn on its fill, kept between
// repaints in a bitmap of its own: a repaint copies it in one block, and only the columns
// whose levels, view or clip length changed are drawn again. A two-hour envelope then costs
// a repaint what the plain fill does.
#pragma once
#include <windows.h>

#include <cstdint>

#include "audio/levels/level_series.h"

namespace controls {

// The fill of the stretch the clip covers, with or without an envelope on it.
constexpr COLORREF kClipFill = 0xD4C4AC;

class EnvelopeStrip {
public:
    EnvelopeStrip() = default;
    EnvelopeStrip(const EnvelopeStrip&) = delete;
    EnvelopeStrip& operator=(const EnvelopeStrip&) = delete;
    ~EnvelopeStrip();

    // Columns [first, last) are to be drawn again at the next paint.
    void Invalidate(int first, int last);

    // What the strip shows: `width` columns of `height` rows (the clip area, from the top
    // down to the ruler), the first at `viewStart` (aligned to a column), `stepMs` apart.
    struct Layout {
        int width, height;
        uint32_t viewStart, stepMs, length;
        int barTop;  // the clip area's top below the scroll bar
    };
    // Brings the strip up to date and copies its columns [from, to) to `dc`.
    void Paint(HDC dc, const Layout& layout, const levels::Codes& codes, int from, int to);

private:
    void Draw(const Layout& layout, const levels::Codes& codes, int from, int to);

    HDC m_dc = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_original = nullptr;
    Layout m_drawn{};  // what the strip was drawn for
    int m_dirtyFirst = 0, m_dirtyLast = 0;
};

}  // namespace controls
