// The Play command and the rewinds: the clip from the cursor, the jingle at every spot ahead,
// the time line following the sound, and one-second steps of the cursor.
#include "audio/capture/level_listener.h"
#include "level_meter.h"
#include "main_dlg.h"
#include "main_dlg_timers.h"
#include "runtime/app_globals.h"
#include "runtime/log_file.h"

namespace {

constexpr int kRewindStepMs = 1000;

std::wstring JinglePath() {
    return g_appDir + kJingleFileName;
}

}  // namespace

LRESULT CMainDlg::OnPlay(WORD, WORD, HWND, BOOL&) {
    if (m_mode == kModePlaying) StopPlayback();
    else StartPlayback();
    return 0;
}

void CMainDlg::StartPlayback() {
    g_log.Print(L"Start playing clip");
    StopLevelListener();
    SwitchMode(InterfaceMode::Playback);
    ReleasePlayer();
    const uint32_t position = m_timeLine.GetPosition();
    m_startPos = static_cast<int>(position);
    // A clip that cannot be played fails here; the first tick then moves the sequence on.
    PlayStep(m_sequence.Begin(position, m_spots));
    SetTimer(m_hWnd, kPlaybackTimer, kPlaybackTimerMs, nullptr);
}

void CMainDlg::OnPlaybackTick() {
    if (m_player.GetState() == ClipPlayer::kPlaying) {
        if (!m_sequence.PlayingJingle())
            m_timeLine.SetPosition(static_cast<int32_t>(m_sequence.PositionAt(timeGetTime() - m_player.GetStartTime())));
        m_volume.SetLevel(static_cast<int>(MeterValue(m_player.Level())));
        return;
    }
    ReleasePlayer();
    const PlaybackSequence::Step next = m_sequence.RangeEnded(m_spots);
    if (next.kind == PlaybackSequence::Step::kStop) StopPlayback();
    else PlayStep(next);
}

void CMainDlg::PlayStep(const PlaybackSequence::Step& step) {
    if (step.kind == PlaybackSequence::Step::kJingle) m_player.PlayRange(JinglePath().c_str(), 0, ClipPlayer::kToEnd);
    else m_player.PlayRange(m_clipPath.c_str(), step.start, step.end);
}

void CMainDlg::StopPlayback() {
    KillTimer(m_hWnd, kPlaybackTimer);
    g_log.Print(L"Stop playing clip");
    SwitchMode(InterfaceMode::Idle);
    // The position is taken before the player lets go of its start time.
    m_timeLine.SetPosition(static_cast<int32_t>(m_sequence.PositionAt(timeGetTime() - m_player.GetStartTime())));
    ReleasePlayer();
    StartLevelListener();
}

LRESULT CMainDlg::OnRewindBack(WORD, WORD, HWND, BOOL&) {
    Rewind(L"Rewind left pressed", -kRewindStepMs);
    return 0;
}

LRESULT CMainDlg::OnRewindForward(WORD, WORD, HWND, BOOL&) {
    Rewind(L"Rewinf right pressed", kRewindStepMs);
    return 0;
}

// During playback the step is taken from the position reached, which is what the buttons'
// tooltips promise; the time line clamps the result to the clip.
void CMainDlg::Rewind(const wchar_t* logLine, int stepMs) {
    g_log.Print(L"%s", logLine);
    // The rewind buttons are disabled while recording; their keys are too, since the
    // recording timer owns the cursor then.
    if (m_mode == kModeRecording) return;
    if (m_mode == kModePlaying) StopPlayback();
    m_timeLine.SetPosition(static_cast<int32_t>(m_timeLine.GetPosition()) + stepMs);
}
