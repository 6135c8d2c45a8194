// The program's only top-level window: a modeless dialog that owns the buttons, the
// controls and the state of the clip being worked on.
#pragma once
#include <windows.h>
#include <cstdint>
#include <set>
#include <string>
#include "../audio/clip_player.h"
#include "../controls/bitmap_button.h"
#include "../controls/blinking_image.h"
#include "../controls/time_ind.h"
#include "../controls/time_line_ctrl.h"
#include "../controls/volume_ctrl.h"
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
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(CrashTestMessage(), OnCrashTest)
        REFLECT_NOTIFICATIONS()
    END_MSG_MAP()

private:
    LRESULT OnEraseBkgnd(UINT, WPARAM wParam, LPARAM, BOOL&);
    LRESULT OnChar(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCancel(WORD, WORD, HWND, BOOL&);
    LRESULT OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
    LRESULT OnCrashTest(UINT, WPARAM wParam, LPARAM lParam, BOOL&);

    void InitControls();
    void InitButtons();
    void CreateCustomControls();
    void FitClientToBackground();
    void SetIcons();
    void ReleasePlayer();
    void StartLevelListener();
    void SwitchMode(InterfaceMode mode);
    CBitmapButton& Button(int id);

    HACCEL m_hAccel = nullptr;
    CBitmapButton m_btnPlay;
    CBitmapButton m_btnRewindBack;
    CBitmapButton m_btnRewindForward;
    CBitmapButton m_btnRecord;
    CBitmapButton m_btnPublish;
    CBitmapButton m_btnAdvSpot;
    CBitmapButton m_btnOpen;
    CBitmapButton m_btnSave;
    CTimeLineCtrl m_timeLine;
    CVolumeCtrl m_volume;
    CBlinkingImage m_blinking;
    CTimeInd m_timeInd;
    std::wstring m_clipPath;
    BOOL m_isImported = FALSE;
    std::wstring m_prevPartPath;
    unsigned m_mode = 1;
    std::set<uint32_t> m_spots;
    ClipPlayer m_player;
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
