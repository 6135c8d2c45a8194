// A bitmap from the program's resources together with a memory context it stays selected
// into for the control's life. Under Wine, selecting a bitmap into a context costs two
// requests to its server; the controls draw their images up to ten times a second.
#pragma once
#include <windows.h>

namespace controls {

class Picture {
public:
    Picture() = default;
    ~Picture() { Reset(); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    // Loads bitmap resource `id` into a context compatible with the screen, releasing what
    // was held before; empty when the resource is missing or no context can be made.
    void Load(UINT id);
    void Reset();

    // The context holding the bitmap, to blit from; null when empty.
    HDC Dc() const { return m_dc; }

private:
    HBITMAP m_bitmap = nullptr;
    HDC m_dc = nullptr;
    HGDIOBJ m_old = nullptr;
};

}  // namespace controls
