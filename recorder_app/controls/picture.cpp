#include "picture.h"
#include "gdi_resources.h"

namespace controls {

void Picture::Load(UINT id) {
    Reset();
    m_bitmap = LoadBitmapResource(id);
    if (m_bitmap == nullptr) return;
    m_dc = ::CreateCompatibleDC(nullptr);
    if (m_dc != nullptr) m_old = ::SelectObject(m_dc, m_bitmap);
    if (m_old == nullptr) Reset();
}

void Picture::Reset() {
    // Selected out first: a bitmap still selected into a context cannot be deleted.
    if (m_dc != nullptr) {
        if (m_old != nullptr) ::SelectObject(m_dc, m_old);
        ::DeleteDC(m_dc);
    }
    if (m_bitmap != nullptr) ::DeleteObject(m_bitmap);
    m_bitmap = nullptr;
    m_dc = nullptr;
    m_old = nullptr;
}

}  // namespace controls
