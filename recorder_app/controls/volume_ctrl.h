// The vertical level meter: the bottom part of a red-to-green gradient, as high as the level.
#pragma once
#include <windows.h>
#include "framework/message_map.h"
#include "framework/offscreen_draw.h"
#include "picture.h"
#include "framework/window_impl.h"

class CVolumeCtrl : public CWindowImpl<CVolumeCtrl>, public COffscreenDraw<CVolumeCtrl> {
public:
    CVolumeCtrl() = default;
    ~CVolumeCtrl() override;

    // 0 is silence, 65535 full scale; repaints what changes once the window is idle.
    void SetLevel(int level);
    int GetLevel() const { return m_level; }

    void DoPaint(HDC dc);

    BEGIN_MSG_MAP(CVolumeCtrl)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        CHAIN_MSG_MAP(COffscreenDraw<CVolumeCtrl>)
    END_MSG_MAP()

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);

    int m_level = 0;
    controls::Picture m_meter;
};
