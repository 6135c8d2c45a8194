// The program's only top-level window: a modeless dialog that owns the buttons, the
// controls and the state of the clip being worked on.
#pragma once
#include <windows.h>
#include <string>
#include "../framework/dialog_impl.h"
#include "../framework/message_loop.h"
#include "../res/resource.h"
#include "crash_test_trigger.h"
#include "interface_modes.h"

class CMainDlg : public CDialogImpl<CMainDlg>, public CMessageFilter {
public:
    enum { IDD = IDD_MAINDLG };

    CMainDlg() = default;
    ~CMainDlg() override;

    BOOL PreTranslateMessage(MSG* pMsg) override;

    BEGIN_MSG_MAP(CMainDlg)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
        MESSAGE_HANDLER(WM_CHAR, OnChar)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
        MESSAGE_HANDLER(CrashTestMessage(), OnCrashTest)
        REFLECT_NOTIFICATIONS()
    END_MSG_MAP()

private:
    LRESULT OnEraseBkgnd(UINT, WPARAM wParam, LPARAM, BOOL&);
    LRESULT OnChar(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnCrashTest(UINT, WPARAM wParam, LPARAM lParam, BOOL&);

    void InitControls();
    void FitClientToBackground();
    void SetIcons();
    void SwitchMode(InterfaceMode mode);
    CWindow& Button(int id);

    HACCEL m_hAccel = nullptr;
    CWindow m_btnPlay;
    CWindow m_btnRewindBack;
    CWindow m_btnRewindForward;
    CWindow m_btnRecord;
    CWindow m_btnPublish;
    CWindow m_btnAdvSpot;
    CWindow m_btnOpen;
    CWindow m_btnSave;
    std::wstring m_clipPath;
    BOOL m_isImported = FALSE;
    std::wstring m_prevPartPath;
    unsigned m_mode = 1;
    int m_playStartPos = 0;
    int m_startPos = 0;
    unsigned m_recordStartTick = 0;
    bool m_hasNextSpot = false;
    unsigned m_nextSpot = 0;
    bool m_playingJingle = false;
    bool m_warned = false;
    unsigned m_maxLengthMs = 7200000;
    unsigned m_warnBeforeMs = 900000;
};
