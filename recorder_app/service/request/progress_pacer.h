// Progress of a transfer for a dialog's bar. libcurl reports far more often than a bar can
// show, and each message waits for the dialog: only changes are sent, at most one every
// 50 ms, and the last one (the transfer complete) always.
#pragma once
#include <windows.h>
#include "service_messages.h"

class ProgressPacer {
public:
    // Sends WM_TRANSFER_PROGRESS with the position to the window when it is due.
    void Report(HWND window, LPARAM position, bool complete) {
        if (position == m_last) return;
        const DWORD now = GetTickCount();
        if (!complete && m_last >= 0 && now - m_lastTime < kIntervalMs) return;
        m_last = position;
        m_lastTime = now;
        SendMessageW(window, WM_TRANSFER_PROGRESS, 0, position);
    }

private:
    static constexpr DWORD kIntervalMs = 50;
    LPARAM m_last = -1;
    DWORD m_lastTime = 0;
};
