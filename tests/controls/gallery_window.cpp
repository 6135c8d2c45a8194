#include "gallery_window.h"
#include "controls/gdi_resources.h"
#include "res/bitmap_ids.h"

namespace {

struct ButtonLayout {
    UINT id, bitmap;
    int width, height, images, x, y;
    const wchar_t* tip;
};

// The main window's buttons: control ID, strip, image size and count, place, tooltip.
const ButtonLayout kButtonLayouts[CGalleryWindow::kButtons] = {
    {1014, IDB_BTN_ADVSPOT, 42, 34, 8, 8, 187, L"Place advertising spot"},
    {1001, IDB_BTN_RECORD, 43, 34, 8, 50, 187, L"Record clip"},
    {1018, IDB_BTN_REWIND_BACK, 43, 34, 4, 154, 187, L"Rewind one second back"},
    {1002, IDB_BTN_PLAY, 41, 34, 8, 197, 187, L"Play clip"},
    {1019, IDB_BTN_REWIND_FORWARD, 43, 34, 4, 238, 187, L"Rewind one second forward"},
    {1003, IDB_BTN_OPEN, 62, 29, 4, 8, 234, L"Open existing audio file"},
    {1024, IDB_BTN_SAVE, 62, 29, 4, 70, 234, L"Save episode to disk"},
    {1004, IDB_BTN_PUBLISH, 75, 29, 4, 205, 234, L"Upload your clip to Quillbank"},
};

constexpr int kPanelWidth = 290, kPanelHeight = 276;
constexpr int kStripsLeft = kPanelWidth + 16;
constexpr int kStripPitch = 38;
constexpr int kShortClipTop = kPanelHeight + 12;

void Blit(HDC dc, HBITMAP bitmap, int x, int y) {
    if (bitmap == nullptr) return;
    BITMAP info{};
    ::GetObjectW(bitmap, sizeof info, &info);
    HDC source = ::CreateCompatibleDC(dc);
    HGDIOBJ old = ::SelectObject(source, bitmap);
    ::BitBlt(dc, x, y, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
    ::SelectObject(source, old);
    ::DeleteDC(source);
}

}  // namespace

CGalleryWindow::~CGalleryWindow() {
    if (IsWindow()) ::DestroyWindow(m_hWnd);
    controls::DeleteGdiObject(m_background);
}

HWND CGalleryWindow::CreateGallery() {
    RECT frame{0, 0, kStripsLeft + 43 * 8 + 16, kShortClipTop + 90 + 12};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    ::AdjustWindowRect(&frame, style, FALSE);
    OffsetRect(&frame, 20 - frame.left, 20 - frame.top);
    return Create(nullptr, frame, L"Control gallery", style | WS_VISIBLE);
}

void CGalleryWindow::DoPaint(HDC dc) {
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    Blit(dc, m_background, 0, 0);
    int y = 8;
    for (const ButtonLayout& layout : kButtonLayouts) {
        HBITMAP strip = controls::LoadBitmapResource(layout.bitmap);
        Blit(dc, strip, kStripsLeft, y);
        controls::DeleteGdiObject(strip);
        y += layout.height + 4;
    }
    static const UINT kSmall[] = {IDB_ARROW_LEFT, IDB_ARROW_RIGHT, IDB_LEVEL_METER, IDB_TIME_FACE,
                                  IDB_RECORDING_ON, IDB_SPOT_MARKER};
    int x = kStripsLeft;
    for (UINT id : kSmall) {
        HBITMAP bitmap = controls::LoadBitmapResource(id);
        BITMAP info{};
        ::GetObjectW(bitmap, sizeof info, &info);
        Blit(dc, bitmap, x, y);
        controls::DeleteGdiObject(bitmap);
        x += info.bmWidth + 8;
    }
}

void CGalleryWindow::CreateButtons() {
    for (int i = 0; i < kButtons; ++i) {
        const ButtonLayout& s = kButtonLayouts[i];
        CBitmapButton& b = m_buttons[i];
        b.Create(m_hWnd, RECT{s.x, s.y, s.x + s.width, s.y + s.height}, nullptr, WS_CHILD | WS_VISIBLE, 0, s.id);
        b.SetBitmapButtonExtendedStyle(BMPBTN_HOVER);
        b.SetImageList(controls::CreateImageStrip(s.bitmap, s.width, s.height, s.images));
        b.SetImages(0, 2, 1, 3);
        b.SetToolTipText(s.tip);
    }
    m_buttons[6].EnableWindow(FALSE);  // Save, to show a disabled face
}

void CGalleryWindow::CreateDisplay() {
    m_timeInd.Create(m_hWnd, RECT{209, 58, 262, 76});
    m_timeLine.Create(m_hWnd, RECT{11, 79, 277, 169}, nullptr,
                      WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP);
    m_timeLine.SetLinkedWindow(m_timeInd);
    m_timeLine.SetLength(600000);  // a 10-minute clip
    m_timeLine.SetSpots({75000, 102000, 118000, 240000, 420000});
    m_timeLine.SetPosition(131230);
    m_volume.Create(m_hWnd, RECT{269, 17, 278, 76});
    m_volume.SetLevel(42000);
    m_blinking.Create(m_hWnd, RECT{114, 68, 172, 75});
    m_blinking.SetImages(IDB_RECORDING_OFF, IDB_RECORDING_ON);
    m_blinking.SendMessage(WM_TIMER, 1, 0);  // shows the caption; clicking Record blinks it

    // A one-minute clip: a wide thumb, the cursor near its end.
    m_shortClip.Create(m_hWnd, RECT{11, kShortClipTop, 277, kShortClipTop + 90});
    m_shortClip.SetLength(60000);
    m_shortClip.SetSpots({5000, 48000});
    m_shortClip.SetPosition(21400);
}

LRESULT CGalleryWindow::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
    m_background = controls::LoadBitmapResource(135);
    CreateButtons();
    CreateDisplay();
    return 0;
}

LRESULT CGalleryWindow::OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled) {
    // Play, Record and Set Adv. Spot switch faces as in the recorder; Record also blinks.
    for (int i = 0; i < kButtons; ++i) {
        if (kButtonLayouts[i].id != LOWORD(wParam) || kButtonLayouts[i].images != 8) continue;
        m_secondFace[i] = !m_secondFace[i];
        if (m_secondFace[i])
            m_buttons[i].SetImages(4, 6, 5, 7);
        else
            m_buttons[i].SetImages(0, 2, 1, 3);
        m_buttons[i].RedrawNow();
        if (kButtonLayouts[i].id == 1001) {
            if (m_secondFace[i])
                m_blinking.StartBlinking();
            else
                m_blinking.StopBlinking();
        }
        return 0;
    }
    handled = FALSE;
    return 0;
}

LRESULT CGalleryWindow::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
    ::PostQuitMessage(0);
    return 0;
}
