// Message maps: a window class lists its handlers in the order the messages are tested,
// and anything it does not handle goes to the default procedure.
#pragma once
#include <windows.h>

// Reflected notifications arrive at the child with this offset added to the message code.
constexpr UINT OCM__BASE = WM_USER + 0x1c00;

class CMessageMap {
public:
    virtual BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                      LRESULT& lResult, DWORD dwMsgMapID = 0) = 0;
protected:
    ~CMessageMap() = default;
};

#define BEGIN_MSG_MAP(theClass)                                                             \
public:                                                                                     \
    BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,           \
                              LRESULT& lResult, DWORD dwMsgMapID = 0) {                     \
        BOOL bHandled = TRUE;                                                               \
        (void)hWnd; (void)dwMsgMapID; (void)bHandled;

// LRESULT func(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
#define MESSAGE_HANDLER(msg, func)                                                          \
        if (uMsg == (msg)) {                                                                \
            bHandled = TRUE;                                                                \
            lResult = func(uMsg, wParam, lParam, bHandled);                                 \
            if (bHandled) return TRUE;                                                      \
        }

// LRESULT func(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled), for first <= uMsg <= last
#define MESSAGE_RANGE_HANDLER(first, last, func)                                            \
        if (uMsg >= (first) && uMsg <= (last)) {                                            \
            bHandled = TRUE;                                                                \
            lResult = func(uMsg, wParam, lParam, bHandled);                                 \
            if (bHandled) return TRUE;                                                      \
        }

// LRESULT func(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled)
#define COMMAND_ID_HANDLER(id, func)                                                        \
        if (uMsg == WM_COMMAND && LOWORD(wParam) == (id)) {                                 \
            bHandled = TRUE;                                                                \
            lResult = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam),  \
                           bHandled);                                                       \
            if (bHandled) return TRUE;                                                      \
        }

#define CHAIN_MSG_MAP(theChainClass)                                                        \
        if (theChainClass::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult))       \
            return TRUE;

#define REFLECT_NOTIFICATIONS()                                                             \
        {                                                                                   \
            bHandled = TRUE;                                                                \
            lResult = ReflectNotifications(hWnd, uMsg, wParam, lParam, bHandled);                 \
            if (bHandled) return TRUE;                                                      \
        }

#define END_MSG_MAP()                                                                       \
        return FALSE;                                                                       \
    }

// Sends a notification back to the control that sent it, with OCM__BASE added, so that
// owner-drawn controls can paint and react on their own. bHandled is cleared when the
// message is not a notification or names no control.
LRESULT ReflectNotifications(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
