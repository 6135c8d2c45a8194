// The program's only top-level window: a modeless dialog that owns the buttons, the
// controls and the state of the clip being worked on.
#pragma once
#include <windows.h>
#include <cstdint>
#include <set>
#include <string>
#include <vector>
#include "app/command_rules/pause_rules.h"
#include "app/command_rules/playback_sequence.h"
#include "app/command_rules/recording_clock.h"
#include "app/command_rules/spot_rules.h"
#include "app/crash/crash_test_trigger.h"
#include "app/editing/cut_rules.h"
#include "app/editing/edited_clip.h"
#include "app/envelope/clip_envelope.h"
#include "app/history/edit_history.h"
#include "app/history/history_files.h"
#include "app/takes/take_journal_format.h"
#include "audio/capture/device_match.h"
#include "audio/playback/clip_player.h"
#include "controls/bitmap_button.h"
#include "controls/blinking_image.h"
#include "controls/picture.h"
#include "controls/time_ind.h"
#include "controls/time_line_ctrl.h"
#include "controls/volume_ctrl.h"
#include "framework/dialog_impl.h"
#include "framework/message_loop.h"
#include "interface_modes.h"
#include "res/resource.h"
#include "runtime/folders.h"

struct RecorderFault;

// CMainDlg is the main window, the program's only top-level dialog.
class CMainDlg : public CDialogImpl<CMainDlg>, public CMessageFilter {
public:
    enum { IDD = IDD_MAINDLG };

    CMainDlg() = default;
    ~CMainDlg() override;

    BOOL PreTranslateMessage(MSG* pMsg) override;
    // The rest of the start, once the window is drawn: what the first paint does not show (the
    // system menu's items, the recordings' folder) and the level meter's listener.
    void FinishStart();
    // Offers back a take an earlier run did not live to end, then sweeps the histories of
    // instances that are gone (main_dlg_recovery.cpp).
    void OfferTakeRecovery();

    BEGIN_MSG_MAP(CMainDlg)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
        MESSAGE_HANDLER(WM_CHAR, OnChar)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        COMMAND_ID_HANDLER(IDCANCEL, OnCancel)
        COMMAND_ID_HANDLER(IDC_RECORD, OnRecord)
        COMMAND_ID_HANDLER(IDC_PLAY, OnPlay)
        COMMAND_ID_HANDLER(IDC_OPEN, OnOpen)
        COMMAND_ID_HANDLER(IDC_PUBLISH, OnPublish)
        COMMAND_ID_HANDLER(IDC_ADVSPOT, OnAdvSpot)
        COMMAND_ID_HANDLER(IDC_REWIND_BACK, OnRewindBack)
        COMMAND_ID_HANDLER(ID_REWIND_BACK, OnRewindBack)
        COMMAND_ID_HANDLER(IDC_REWIND_FORWARD, OnRewindForward)
        COMMAND_ID_HANDLER(ID_REWIND_FORWARD, OnRewindForward)
        COMMAND_ID_HANDLER(IDC_SAVE, OnSave)
        COMMAND_ID_HANDLER(ID_PAUSE_BACK, OnPauseBack)
        COMMAND_ID_HANDLER(ID_PAUSE_FORWARD, OnPauseForward)
        COMMAND_ID_HANDLER(ID_SELECT_BACK, OnSelectBack)
        COMMAND_ID_HANDLER(ID_SELECT_FORWARD, OnSelectForward)
        COMMAND_ID_HANDLER(ID_DELETE_SELECTION, OnDeleteSelection)
        COMMAND_ID_HANDLER(ID_UNDO, OnUndo)
        COMMAND_ID_HANDLER(ID_REDO, OnRedo)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(WM_POSITION_CHANGED, OnPositionChanged)
        MESSAGE_HANDLER(WM_INITMENUPOPUP, OnHistoryMenuPopup)
        MESSAGE_HANDLER(WM_INITMENUPOPUP, OnInitMenuPopup)
        MESSAGE_HANDLER(WM_SYSCOMMAND, OnHistorySysCommand)
        MESSAGE_HANDLER(WM_SYSCOMMAND, OnMicrophoneSysCommand)
        MESSAGE_HANDLER(WM_SYSCOMMAND, OnLoudnessSysCommand)
        MESSAGE_HANDLER(WM_SYSCOMMAND, OnSnapSysCommand)
        MESSAGE_HANDLER(WM_SYSCOMMAND, OnEditSysCommand)
        MESSAGE_HANDLER(WM_LEVELS_MEASURED, OnLevelsMeasured)
        MESSAGE_HANDLER(WM_COMMAND, OnMicrophoneCommand)
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

    // Recording (main_dlg_record.cpp).
    LRESULT OnRecord(WORD, WORD, HWND, BOOL&);
    void StartRecording();
    // A take that a fault ended with less than a second captured leaves the clip it
    // continued as it was instead of being joined to it.
    enum class TakeEnd { kKeep, kDiscardPart };
    void StopRecording();
    // The two halves of StopRecording: the recorder's stop (whether it stopped cleanly), and
    // what becomes of the take's files and the window.
    bool StopRecorder();
    void FinishTake(bool stopped, TakeEnd end);
    void OnRecordingTick();
    bool JoinWithEarlierClip(bool partComplete);
    // A take whose file cannot be written or whose device has gone (main_dlg_take_fault.cpp).
    void EndTakeOnFault(const RecorderFault& fault, unsigned reachedMs);
    // Whether the journal has served: answered, restored, or holding nothing to restore.
    // `undoTo` is set to what Undo brings back when a restore replaced a clip.
    void OfferLeftTakes();
    bool RecoverTake(const TakeJournal& journal, ClipState*& undoTo, ClipState& undoState);
    void JournalSpotsOfTake();
    // Undo and Redo (main_dlg_history.cpp).
    LRESULT OnUndo(WORD, WORD, HWND, BOOL&);
    LRESULT OnRedo(WORD, WORD, HWND, BOOL&);
    LRESULT OnHistorySysCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
    LRESULT OnHistoryMenuPopup(UINT, WPARAM, LPARAM lParam, BOOL& bHandled);
    ClipState CurrentState() const;
    // A step just done, from `before` to what the window shows now.
    // `cursorAfter`, when given, is where Redo puts the cursor rather than where it is now.
    void RecordStep(StepKind kind, const ClipState& before, const uint32_t* cursorAfter = nullptr);
    void StepThroughHistory(bool undo);
    void ShowState(const ClipState& state);
    void ShowFailedStep(bool undo, StepKind kind, const ClipState& from, const ClipState& to, const FileMoves& moves,
                        const StepMoves& made);
    // Clips leaving the history, or deleted by the program: to the Recycle Bin.
    void ReleaseClips(const std::vector<std::wstring>& clips);
    void ForgetHistory();
    // The oldest steps leave the history while the recordings' drive runs low.
    void KeepSpaceForRecording();
    // Playback and rewind (main_dlg_play.cpp).
    LRESULT OnPlay(WORD, WORD, HWND, BOOL&);
    LRESULT OnRewindBack(WORD, WORD, HWND, BOOL&);
    LRESULT OnRewindForward(WORD, WORD, HWND, BOOL&);
    void StartPlayback();
    void StopPlayback();
    void OnPlaybackTick();
    void PlayStep(const PlaybackSequence::Step& step);
    void Rewind(const wchar_t* logLine, int stepMs);
    // Advertising spots (main_dlg_spots.cpp).
    LRESULT OnAdvSpot(WORD, WORD, HWND, BOOL&);
    LRESULT OnPositionChanged(UINT, WPARAM, LPARAM lParam, BOOL&);
    bool FindSpotAt(uint32_t position, uint32_t& spot) const;
    bool ShowSpotFace(bool onSpot);  // true when the face changed
    void ShowSpots();
    // Where a spot placed at `position` goes instead: the middle of a pause near it that
    // the placing rules allow; false when it stays at `position`.
    bool SnapSpot(uint32_t position, uint32_t& target) const;
    void WriteSideFile(const std::wstring& clipPath);
    // The envelope and its pauses (main_dlg_envelope.cpp).
    LRESULT OnLevelsMeasured(UINT, WPARAM wParam, LPARAM, BOOL&);
    LRESULT OnSnapSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
    LRESULT OnPauseBack(WORD, WORD, HWND, BOOL&);
    LRESULT OnPauseForward(WORD, WORD, HWND, BOOL&);
    // Shift+Left and Shift+Right: the selection on the time line, a column at a time.
    LRESULT OnSelectBack(WORD, WORD, HWND, BOOL&);
    LRESULT OnSelectForward(WORD, WORD, HWND, BOOL&);
    // Delete and "Delete selection": the selected stretch out of the clip (main_dlg_edit.cpp).
    LRESULT OnDeleteSelection(WORD, WORD, HWND, BOOL&);
    LRESULT OnEditSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
    void DeleteSelection();
    // Writes the clip without `stretches` as a new clip that replaces it in the window, with
    // the spots, cursor and levels moved along, as one step of the history; false after a
    // failure, with the clip as it was and the user told.
    // `clock`: the clip's frames as its caller read them (no frames: the cut fails).
    // `written`: the cut is already written (by a dialog's worker) from these stretches.
    // `shortened`: for a tightening, the pauses the stretches lie in, whose spots move into
    // what is left of them.
    bool ApplyCuts(const cuts::FrameClock& clock, const std::vector<timeline::Selection>& stretches, StepKind kind,
                   const timeline::Selection& selection, const WrittenCut* written = nullptr,
                   const std::vector<cuts::PauseSpan>& shortened = {});
    // "Tighten pauses...": the long pauses of the clip shortened (main_dlg_tighten.cpp).
    void TightenPauses();
    void StepToPause(bool forward);
    // The pauses a command may use now: behind the live position while recording or
    // playing, anywhere in the clip when idle.
    pauses::Scope PauseScope() const;
    void ReadSideFile(const std::wstring& clipPath);
    // Open and save (main_dlg_files.cpp).
    LRESULT OnOpen(WORD, WORD, HWND, BOOL&);
    LRESULT OnSave(WORD, WORD, HWND, BOOL&);
    // Publication (main_dlg_publish.cpp).
    LRESULT OnPublish(WORD, WORD, HWND, BOOL&);
    void OnPublished(const std::wstring& siteName);
    // The recording device (main_dlg_microphone.cpp).
    LRESULT OnInitMenuPopup(UINT, WPARAM wParam, LPARAM lParam, BOOL&);
    LRESULT OnMicrophoneSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
    LRESULT OnMicrophoneCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
    bool OnMicrophoneChoice(int choice);
    void InitMicrophone();
    void RestoreMicrophone();
    void ChooseMicrophone(const CaptureDevice& device);
    // The chosen device's id (WAVE_MAPPER for the default); false when it is not present.
    bool FindMicrophone(UINT& deviceId) const;
    // The same for a recording, which the log names.
    bool RecordingDevice(UINT& deviceId) const;
    // Before a recording: false when the chosen device is gone and the user would rather not
    // record from the system default instead.
    bool MicrophoneReady();
    // Starts the listener and its timer; false when the chosen device could not be opened
    // and the listener follows the system default instead.
    bool OpenLevelListener();
    // Loudness (main_dlg_loudness.cpp).
    LRESULT OnLoudnessSysCommand(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
    void ShowLoudness();
    // The clip's duration by the player, or ClipPlayer::kNoDuration.
    uint32_t ClipDuration(const std::wstring& path);

    void InitControls();
    void InitButtons();
    void CreateCustomControls();
    void FitClientToBackgroundCentred();
    void SetIcons();
    void ReleasePlayer();
    void StartLevelListener();
    void StopLevelListener();
    void SwitchMode(InterfaceMode mode);
    CBitmapButton& Button(int id);

    HACCEL m_hAccel = nullptr;
    HICON m_bigIcon = nullptr;
    HICON m_smallIcon = nullptr;
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
    controls::Picture m_background;  // loaded once: every erase paints it
    CTimeInd m_timeInd;
    std::wstring m_clipPath;
    BOOL m_isImported = FALSE;
    std::wstring m_prevPartPath;
    unsigned m_mode = kModeIdle;
    SpotSet m_spots;
    // The spots as they were when the current take began, for a join that fails.
    SpotSet m_spotsBeforeTake;
    ClipPlayer m_player;
    // What plays next, where the current run began and the spot it runs to.
    PlaybackSequence m_sequence;
    int m_startPos = 0;
    unsigned m_recordStartTick = 0;
    bool m_warned = false;
    // The recording limit and how long before it the warning comes: the values live in
    // app/command_rules/recording_clock.h (kMaxLengthMs, kWarnBeforeMs); change them there.
    unsigned m_maxLengthMs = recording::kMaxLengthMs;
    unsigned m_warnBeforeMs = recording::kWarnBeforeMs;
    // What the window showed when the current take began, for its Undo step.
    ClipState m_stateBeforeTake;
    EditHistory m_history;
    HeldClips m_held{RecordingsFolder()};
    ClipEnvelope m_envelope;
    CaptureDevice m_microphone;  // the chosen recording device; no name: the system default
    HMENU m_microphoneMenu = nullptr;
    std::vector<CaptureDevice> m_menuDevices;  // as the submenu listed them when it last opened
};
