// The control gallery: every custom control with sample data, laid out as in the main
// window over its background, beside every button strip in all its states.
#pragma once
#include <windows.h>
#include "controls/bitmap_button.h"
#include "controls/blinking_image.h"
#include "controls/control_messages.h"
#include "controls/time_ind.h"
#include "controls/time_line_ctrl.h"
#include "controls/volume_ctrl.h"
#include "framework/message_map.h"
#include "framework/offscreen_draw.h"
#include "framework/window_impl.h"

class CGalleryWindow : public CWindowImpl<CGalleryWindow>, public COffscreenDraw<CGalleryWindow> {
public:
    static constexpr int kButtons = 8;

    ~CGalleryWindow() override;
    HWND CreateGallery();
    void DoPaint(HDC dc);

    BEGIN_MSG_MAP(CGalleryWindow)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_COMMAND, OnCommand)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        CHAIN_MSG_MAP(COffscreenDraw<CGalleryWindow>)
    END_MSG_MAP()

private:
    void CreateButtons();
    void CreateDisplay();

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCommand(UINT, WPARAM wParam, LPARAM, BOOL& handled);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);

    CBitmapButton m_buttons[kButtons];
    bool m_secondFace[kButtons] = {};
    CTimeLineCtrl m_timeLine;
    CTimeLineCtrl m_shortClip;
    CTimeInd m_timeInd;
    CVolumeCtrl m_volume;
    CBlinkingImage m_blinking;
    HBITMAP m_background = nullptr;
};
