#include "envelope_strip.h"

#include <algorithm>
#include <vector>

#include "timeline_geometry.h"

namespace controls {

namespace {

// A deeper shade of the clip fill; columns not measured yet are hatched in a paler one, so
// that they cannot pass for silence.
constexpr COLORREF kEnvelope = RGB(0x4E, 0x6A, 0x88);
constexpr COLORREF kEnvelopeUnknown = RGB(0x7E, 0x94, 0xAA);

// The column whose stretch holds `ms`, counted from the view's start.
int ColumnAt(uint32_t ms, const EnvelopeStrip::Layout& layout) {
    if (ms <= layout.viewStart) return 0;
    return static_cast<int>(std::min<uint32_t>((ms - layout.viewStart) / layout.stepMs, INT32_MAX / 2));
}

}  // namespace

EnvelopeStrip::~EnvelopeStrip() {
    if (m_dc == nullptr) return;
    ::SelectObject(m_dc, m_original);
    ::DeleteObject(m_bitmap);
    ::DeleteDC(m_dc);
}

void EnvelopeStrip::Invalidate(int first, int last) {
    if (first >= last) return;
    if (m_dirtyFirst >= m_dirtyLast) {
        m_dirtyFirst = first;
        m_dirtyLast = last;
    } else {
        m_dirtyFirst = std::min(m_dirtyFirst, first);
        m_dirtyLast = std::max(m_dirtyLast, last);
    }
}

void EnvelopeStrip::Paint(HDC dc, const Layout& layout, const levels::Codes& codes, int from, int to) {
    if (m_dc == nullptr || m_drawn.width != layout.width || m_drawn.height != layout.height) {
        if (m_dc != nullptr) {
            ::SelectObject(m_dc, m_original);
            ::DeleteObject(m_bitmap);
            ::DeleteDC(m_dc);
        }
        m_dc = ::CreateCompatibleDC(dc);
        m_bitmap = ::CreateCompatibleBitmap(dc, std::max(1, layout.width), std::max(1, layout.height));
        m_original = ::SelectObject(m_dc, m_bitmap);
        Invalidate(0, layout.width);
    } else if (m_drawn.viewStart != layout.viewStart || m_drawn.stepMs != layout.stepMs ||
               m_drawn.barTop != layout.barTop) {
        Invalidate(0, layout.width);
    } else if (m_drawn.length != layout.length) {
        // The columns between the two ends: newly in the clip, or out of it, and the one
        // each end cuts.
        const int a = ColumnAt(m_drawn.length, layout), b = ColumnAt(layout.length, layout);
        Invalidate(std::min(a, b), std::max(a, b) + 1);
    }
    m_drawn = layout;
    const int first = std::max(0, m_dirtyFirst), last = std::min(layout.width, m_dirtyLast);
    if (first < last) Draw(layout, codes, first, last);
    m_dirtyFirst = m_dirtyLast = 0;
    if (from < to) ::BitBlt(dc, from, 0, to - from, layout.height, m_dc, from, 0, SRCCOPY);
}

// One bar per column, as one PolyPolyline, from the column's loudest block.
void EnvelopeStrip::Draw(const Layout& layout, const levels::Codes& codes, int from, int to) {
    HBRUSH fill = ::CreateSolidBrush(kClipFill);
    const RECT area{from, 0, to, layout.height};
    ::FillRect(m_dc, &area, fill);
    ::DeleteObject(fill);

    std::vector<POINT> points;
    std::vector<DWORD> counts;
    points.reserve(2 * static_cast<size_t>(to - from));
    counts.reserve(static_cast<size_t>(to - from));
    HBRUSH hatch = nullptr;
    auto codeOf = [&](int x) {
        const uint32_t start = layout.viewStart + static_cast<uint32_t>(x) * layout.stepMs;
        if (start >= layout.length) return levels::kSilent;  // beyond the clip: no bar
        return levels::LoudestIn(codes, start, std::min(start + layout.stepMs, layout.length));
    };
    for (int x = from; x < to; ++x) {
        const uint8_t code = codeOf(x);
        if (code == levels::kUnknown) {
            int end = x + 1;  // the run of unknown columns, hatched at once
            while (end < to && codeOf(end) == levels::kUnknown) ++end;
            if (hatch == nullptr) hatch = ::CreateHatchBrush(HS_BDIAGONAL, kEnvelopeUnknown);
            const RECT run{x, layout.barTop, end, layout.height};
            const int oldMode = ::SetBkMode(m_dc, TRANSPARENT);
            ::FillRect(m_dc, &run, hatch);
            ::SetBkMode(m_dc, oldMode);
            x = end - 1;
            continue;
        }
        if (code >= levels::kSilent) continue;
        const timeline::Bar bar = timeline::EnvelopeBar(levels::DbOfCode(code), layout.barTop, layout.height);
        if (bar.top >= bar.bottom) continue;
        points.push_back({x, bar.top});
        points.push_back({x, bar.bottom});
        counts.push_back(2);
    }
    if (hatch != nullptr) ::DeleteObject(hatch);
    if (counts.empty()) return;
    HPEN pen = ::CreatePen(PS_SOLID, 1, kEnvelope);
    HGDIOBJ original = ::SelectObject(m_dc, pen);
    ::PolyPolyline(m_dc, points.data(), counts.data(), static_cast<DWORD>(counts.size()));
    ::SelectObject(m_dc, original);
    ::DeleteObject(pen);
}

}  // namespace controls
