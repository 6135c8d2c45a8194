// The RECORDING caption: alternates between a steady and a blink image on a timer.
#pragma once
#include <windows.h>
#include "framework/message_map.h"
#include "framework/offscreen_draw.h"
#include "picture.h"
#include "framework/window_impl.h"

class CBlinkingImage : public CWindowImpl<CBlinkingImage>, public COffscreenDraw<CBlinkingImage> {
public:
    CBlinkingImage() = default;
    ~CBlinkingImage() override;

    // Loads both images from the program's resources, replacing any loaded before.
    void SetImages(UINT steadyId, UINT blinkId);
    void StartBlinking();
    void StopBlinking();
    bool ShowsSteadyImage() const { return m_phase; }

    void DoPaint(HDC dc);

    BEGIN_MSG_MAP(CBlinkingImage)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        CHAIN_MSG_MAP(COffscreenDraw<CBlinkingImage>)
    END_MSG_MAP()

private:
    static constexpr UINT_PTR kBlinkTimer = 1;

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled);

    UINT m_periodMs = 500;
    bool m_phase = true;  // true: steady image
    controls::Picture m_steady;
    controls::Picture m_blink;
};
