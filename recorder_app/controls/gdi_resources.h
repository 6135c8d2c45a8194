// GDI objects the controls build from the program's resources: point fonts, bitmaps and
// image lists sliced from a bitmap strip. The caller owns and deletes what it gets.
#pragma once
#include <windows.h>
#include <commctrl.h>

namespace controls {

// The one font every control draws its text in: the time line's tick labels and the time
// read-out alike.
constexpr int kControlFontTenths = 70;
constexpr wchar_t kControlFontFace[] = L"Verdana";

// A font of `tenths` tenths of a point, sized for the screen's vertical resolution.
HFONT CreatePointFont(int tenths, const wchar_t* face);

// A bitmap by numeric resource ID, or null when the resource is missing.
HBITMAP LoadBitmapResource(UINT id);

// An image list of `count` images of cx x cy sliced left to right from bitmap `id`
// (32-bit colour, no mask, no growth), or null.
HIMAGELIST CreateImageStrip(UINT id, int cx, int cy, int count);

// Draws image `index` of `list` at (x, y) like ImageList_Draw with ILD_NORMAL. An opaque image of
// a plain 32-bit list is copied straight from the list's pixels: ImageList_Draw makes and
// selects a bitmap for the screen at every call, which under Wine asks its server about the
// display twice, at each paint of each button. Images with alpha or a mask are left to
// ImageList_Draw.
void DrawListImage(HIMAGELIST list, int index, HDC dc, int x, int y);

// Selects `font` unless it already is: under Wine selecting a font, even the same one again,
// costs as much as drawing its text. The controls' frames keep their font between paints.
inline void UseFont(HDC dc, HGDIOBJ font) {
    if (::GetCurrentObject(dc, OBJ_FONT) != font) ::SelectObject(dc, font);
}

// Deletes a GDI object and clears the handle.
template <class H>
void DeleteGdiObject(H& handle) {
    if (handle != nullptr) ::DeleteObject(handle);
    handle = nullptr;
}

}  // namespace controls
