// The digital read-out of the time line's position: minutes, seconds and hundredths.
#pragma once
#include <windows.h>
#include <cstdint>
#include "control_messages.h"
#include "framework/message_map.h"
#include "framework/offscreen_draw.h"
#include "framework/window_impl.h"
#include "picture.h"

class CTimeInd : public CWindowImpl<CTimeInd>, public COffscreenDraw<CTimeInd> {
public:
    CTimeInd() = default;
    ~CTimeInd() override;

    uint32_t GetTime() const { return m_time; }

    void DoPaint(HDC dc);

    BEGIN_MSG_MAP(CTimeInd)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_POSITION_CHANGED, OnPositionChanged)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        CHAIN_MSG_MAP(COffscreenDraw<CTimeInd>)
    END_MSG_MAP()

private:
    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPositionChanged(UINT, WPARAM, LPARAM lParam, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);

    uint32_t m_time = 0;
    controls::Picture m_face;
    HFONT m_font = nullptr;
};
