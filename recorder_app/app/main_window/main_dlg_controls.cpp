// The main dialog's buttons and custom controls: creation, layout and the interface modes.
#include "main_dlg.h"
#include <commctrl.h>
#include "app/loudness/loudness_menu.h"
#include "controls/gdi_resources.h"
#include "framework/app_module.h"
#include "res/bitmap_ids.h"
#include "runtime/log_file.h"

namespace {

// The background bitmap covers the client area, and everything is laid out on it in pixels.
constexpr int kClientWidth = 290, kClientHeight = 276;

struct ButtonLayout {
    int id;
    int bitmap;
    int width, height;  // one image of the strip
    int images;         // in the strip; eight-image strips hold a second face
    int x, y;
};

// In the order the buttons are initialised.
constexpr ButtonLayout kButtons[] = {
    {IDC_PLAY, IDB_BTN_PLAY, 41, 34, 8, 197, 187},
    {IDC_REWIND_BACK, IDB_BTN_REWIND_BACK, 43, 34, 4, 154, 187},
    {IDC_REWIND_FORWARD, IDB_BTN_REWIND_FORWARD, 43, 34, 4, 238, 187},
    {IDC_RECORD, IDB_BTN_RECORD, 43, 34, 8, 50, 187},
    {IDC_ADVSPOT, IDB_BTN_ADVSPOT, 42, 34, 8, 8, 187},
    {IDC_PUBLISH, IDB_BTN_PUBLISH, 75, 29, 4, 205, 234},
    {IDC_OPEN, IDB_BTN_OPEN, 62, 29, 4, 8, 234},
    {IDC_SAVE, IDB_BTN_SAVE, 62, 29, 4, 70, 234},
};

// Image indices: normal, pushed, hover, disabled; the stop face is the same four moved by four.
constexpr int kNormalImages[4] = {0, 2, 1, 3};
constexpr int kStopImages[4] = {4, 6, 5, 7};

constexpr RECT kTimeIndRect{209, 58, 262, 76};
constexpr RECT kTimeLineRect{11, 79, 277, 169};
constexpr RECT kVolumeRect{269, 17, 278, 76};
constexpr RECT kBlinkingRect{114, 68, 172, 75};

void SetFace(CBitmapButton& button, const int (&images)[4]) {
    button.SetImages(images[0], images[1], images[2], images[3]);
}

}  // namespace

void CMainDlg::InitControls() {
    g_log.Print(L"Initializing controls...");
    InitButtons();
    CreateCustomControls();
    SwitchMode(InterfaceMode::New);
}

void CMainDlg::InitButtons() {
    for (const ButtonLayout& place : kButtons) {
        CBitmapButton& button = Button(place.id);
        // A strip that cannot be loaded leaves the button without images; nothing is reported.
        button.SetBitmapButtonExtendedStyle(BMPBTN_HOVER);
        button.SetImageList(controls::CreateImageStrip(place.bitmap, place.width, place.height, place.images));
        SetFace(button, kNormalImages);
        button.SubclassWindow(GetDlgItem(place.id));
        MoveWindow(button, place.x, place.y, place.width, place.height, TRUE);
    }
}

void CMainDlg::CreateCustomControls() {
    constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
    m_timeInd.Create(m_hWnd, kTimeIndRect, nullptr, kChild);
    m_timeLine.Create(m_hWnd, kTimeLineRect, nullptr, kChild | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP);
    m_timeLine.SetLinkedWindow(m_timeInd);
    m_volume.Create(m_hWnd, kVolumeRect, nullptr, kChild);
    m_volume.SetLevel(65535);
    m_blinking.Create(m_hWnd, kBlinkingRect, nullptr, kChild);
    m_blinking.SetImages(IDB_RECORDING_OFF, IDB_RECORDING_ON);
}

// Dialog units depend on the font the system substitutes for the template's; the pixel layout
// does not, so the client area is set to the background's size. The frame is measured on the
// window itself rather than computed, since menus, themes and caption fonts can make the two
// differ. The window is centred in the same move: under Wine each move of a top-level window
// costs a round of requests to its server.
void CMainDlg::FitClientToBackgroundCentred() {
    for (int attempt = 0; attempt < 2; ++attempt) {
        RECT window, client;
        GetWindowRect(m_hWnd, &window);
        GetClientRect(m_hWnd, &client);
        if (client.right == kClientWidth && client.bottom == kClientHeight) {
            if (attempt == 0) CenterWindow();  // it fitted already; a resize has centred it
            return;
        }
        const SIZE size{kClientWidth + (window.right - window.left) - client.right,
                        kClientHeight + (window.bottom - window.top) - client.bottom};
        CenterWindow(&size);
    }
}

void CMainDlg::SwitchMode(InterfaceMode mode) {
    const ModeLayout& layout = LayoutOf(mode);
    g_log.Print(L"%s", layout.logLine);
    m_mode = layout.modeValue;
    // A take makes the clip anew; an empty window has nothing to select.
    if (mode == InterfaceMode::Recording || mode == InterfaceMode::New) m_timeLine.ClearSelection();
    for (const ButtonChange& change : layout.buttons) {
        CBitmapButton& button = Button(change.id);
        if (change.enable != Enable::Keep) button.EnableWindow(change.enable == Enable::On);
        if (change.tooltip != nullptr) button.SetToolTipText(change.tooltip);
        if (change.images != Images::Keep) {
            SetFace(button, change.images == Images::Stop ? kStopImages : kNormalImages);
            button.RedrawNow();
        }
    }
    if (layout.timeLine != Enable::Keep) m_timeLine.EnableWindow(layout.timeLine == Enable::On);
    EnableLoudnessMenuItem(m_hWnd, mode == InterfaceMode::Idle && !m_clipPath.empty());
}

CBitmapButton& CMainDlg::Button(int id) {
    switch (id) {
    case IDC_PLAY: return m_btnPlay;
    case IDC_REWIND_BACK: return m_btnRewindBack;
    case IDC_REWIND_FORWARD: return m_btnRewindForward;
    case IDC_RECORD: return m_btnRecord;
    case IDC_PUBLISH: return m_btnPublish;
    case IDC_ADVSPOT: return m_btnAdvSpot;
    case IDC_OPEN: return m_btnOpen;
    default: return m_btnSave;
    }
}
