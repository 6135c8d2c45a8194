// The Record command: a new MP3 file per recording, continuing the current clip from the
// cursor by joining the two files when the recording stops, and the two-hour limit.
// StopRecording is the one end of a take, whatever ends it.
#include <cstdlib>
#include <ctime>
#include "app/command_rules/recording_clock.h"
#include "app/editing/edited_clip.h"
#include "app/takes/clip_join.h"
#include "app/takes/clip_names.h"
#include "app/takes/take_journal.h"
#include "audio/capture/level_listener.h"
#include "audio/capture/sound_recorder.h"
#include "level_meter.h"
#include "main_dlg.h"
#include "main_dlg_timers.h"
#include "runtime/folders.h"
#include "runtime/log_file.h"

namespace {

constexpr WORD kChannels = 1;
constexpr DWORD kSampleRate = 44100;
constexpr DWORD kBitrateKbps = 96;

// "My Podcasts\Unpublished", created if missing (failures show later, when the file is).
std::wstring UnpublishedFolder() {
    CreateDirectoryW(PodcastsFolder().c_str(), nullptr);
    const std::wstring folder = RecordingsFolder();
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (const std::tm* converted = std::localtime(&now)) local = *converted;
    return local;
}

NameTaken TakenIn(const std::wstring& folder) {
    return [folder](const std::wstring& name) {
        return GetFileAttributesW(InFolder(folder, name).c_str()) != INVALID_FILE_ATTRIBUTES;
    };
}

// A new recording never replaces a file. Seeded once, so that the number differs from one
// run of the program to the next; a number already used in that second is passed over.
std::wstring NewRecordingPath() {
    static const bool seeded = (std::srand(GetTickCount() ^ GetCurrentProcessId()), true);
    (void)seeded;
    const std::wstring folder = UnpublishedFolder();
    return InFolder(folder, FreeRecordingFileName(LocalNow(), std::rand() % 1000, TakenIn(folder)));
}

std::wstring JoinedClipPath() {
    const std::wstring folder = UnpublishedFolder();
    return InFolder(folder, FreeJoinedFileName(LocalNow(), TakenIn(folder)));
}

}  // namespace

LRESULT CMainDlg::OnRecord(WORD, WORD, HWND, BOOL&) {
    if (m_mode == kModeRecording) StopRecording();
    else StartRecording();
    return 0;
}

void CMainDlg::StartRecording() {
    g_log.Print(L"Starting podcast recording");
    KeepSpaceForRecording();
    const ClipState beforeTake = CurrentState();
    const std::wstring target = NewRecordingPath();

    // A clip of the program's own made from an opened one (evened out, cut) keeps that clip's
    // format, which a take cannot be appended to.
    if (m_isImported || (!m_clipPath.empty() && !IsContinuableRecording(m_clipPath))) {
        g_log.Print(L"Can't write to imported file yet. Asking user to start write to new file.");
        const int answer = MessageBoxW(m_hWnd,
            L"Sorry, but you can't resume recording on externally opened files.\nDou you want to start record a new clip?",
            L"Current version limitation", MB_ICONWARNING | MB_YESNO);
        if (answer != IDYES) {
            g_log.Print(L"Operation cancelled by user");
            return;
        }
        g_log.Print(L"User want start write to a new file");
        m_spots.clear();
        m_timeLine.SetPosition(0);
        m_timeLine.SetSpots(m_spots);
        m_timeLine.SetLength(0);
        m_clipPath.clear();
        m_prevPartPath.clear();
        m_isImported = FALSE;
        m_startPos = 0;
    }

    if (m_timeLine.GetPosition() > m_maxLengthMs) {
        MessageBoxW(m_hWnd, L"Sorry, but you have reached the podcast length limit (2 hours). Operation aborted.",
                    L"Message", MB_ICONINFORMATION);
        g_log.Print(L"Max podcast clip length encountered (%d minutes)", static_cast<int>(m_maxLengthMs / 60000));
        return;
    }

    // Stopped before the microphone is checked: the meter holds the very device.
    StopLevelListener();
    if (!MicrophoneReady()) return;

    // A failed start must leave the clip as it was, or the next recording would continue a
    // file that was never written and drop the earlier clip from the join.
    const std::wstring earlierClip = m_clipPath, earlierPrevPart = m_prevPartPath;
    const int earlierStartPos = m_startPos;
    if (!m_clipPath.empty()) {
        m_prevPartPath = m_clipPath;
        m_startPos = static_cast<int>(m_timeLine.GetPosition());
    }
    m_clipPath = target;
    g_log.Print(L"Target file to write: %s", m_clipPath.c_str());
    UINT device = WAVE_MAPPER;
    const bool devicePresent = RecordingDevice(device);

    // Before the capture, so that a take the program does not live to end is offered back.
    BeginTakeJournal(TakeJournal{m_clipPath, m_prevPartPath, static_cast<uint32_t>(m_startPos), m_spots, false, {}});

    if (!devicePresent || SoundRecorder::Start(m_clipPath.c_str(), kChannels, kSampleRate, kBitrateKbps, device) != 0) {
        EndTakeJournal();
        MessageBoxW(m_hWnd, L"Error occured, while recording audio", L"Error", MB_ICONERROR);
        g_log.Print(L"!!! Audio recorder failed while starting record operation");
        m_clipPath = earlierClip;
        m_prevPartPath = earlierPrevPart;
        m_startPos = earlierStartPos;
        StartLevelListener();
        return;
    }
    m_recordStartTick = timeGetTime() - static_cast<unsigned>(m_startPos);
    m_stateBeforeTake = beforeTake;
    SwitchMode(InterfaceMode::Recording);

    m_spotsBeforeTake = m_spots;
    if (m_startPos != 0) spots::DropSpotsAfter(m_spots, static_cast<uint32_t>(m_startPos));
    else m_spots.clear();
    m_timeLine.SetSpots(m_spots);
    m_timeLine.SetLength(static_cast<uint32_t>(m_startPos));
    m_envelope.BeginTake(static_cast<uint32_t>(m_startPos));
    m_timeLine.RedrawNow();

    m_blinking.StartBlinking();
    SetTimer(m_hWnd, kRecordingTimer, kRecordingTimerMs, nullptr);
}

void CMainDlg::OnRecordingTick() {
    const unsigned elapsed = timeGetTime() - m_recordStartTick;
    const RecorderFault fault = SoundRecorder::Fault();
    if (fault.kind != RecorderFault::kNone) {
        EndTakeOnFault(fault, elapsed);
        return;
    }
    {
        const CTimeLineCtrl::DrawOnce drawOnce(m_timeLine);
        m_timeLine.SetLength(elapsed);
        m_timeLine.SetPosition(static_cast<int32_t>(elapsed));
        m_envelope.TakeTick();
    }
    m_volume.SetLevel(static_cast<int>(MeterValue(SoundRecorder::Level())));

    switch (recording::ClockStep(elapsed, m_maxLengthMs, m_warnBeforeMs, m_warned)) {
    case recording::ClockAction::Warn: {
        // Set before the box: its modal loop keeps this timer running.
        m_warned = true;
        const unsigned minutesLeft = m_warnBeforeMs / 60000;
        g_log.Print(L"Emitting warning about that user has %u minutes left for current clip", minutesLeft);
        const std::wstring text = L"Your episode is limited to two hours length, you have " +
                                  std::to_wstring(minutesLeft) + L" minutes left.";
        MessageBoxW(m_hWnd, text.c_str(), L"Warning", MB_ICONWARNING);
        break;
    }
    case recording::ClockAction::Stop:
        g_log.Print(L"Emitting message about that clip size limit is encountered");
        StopRecording();
        MessageBoxW(m_hWnd,
                    L"Your episode is ilmited to two hours length, the application will stop recording process now",
                    L"Message", MB_ICONINFORMATION);
        break;
    case recording::ClockAction::None:
        break;
    }
}

void CMainDlg::StopRecording() {
    FinishTake(StopRecorder(), TakeEnd::kKeep);
}

bool CMainDlg::StopRecorder() {
    g_log.Print(L"Recording stopped");
    KillTimer(m_hWnd, kRecordingTimer);
    const bool stopped = SoundRecorder::Stop() == 0;
    if (!stopped) g_log.Print(L"!!! Audio recorder failed to stop cleanly");
    return stopped;
}

void CMainDlg::FinishTake(bool stopped, TakeEnd end) {
    // Whether the take's files are settled (its journal can go) and the take is a step.
    bool settled = true, step = true;
    const bool leftOut = !m_prevPartPath.empty() && end == TakeEnd::kDiscardPart;
    if (leftOut) {
        g_log.Print(L"Too little was recorded to join: the earlier clip stays as it was");
        // A part the recorder could not close may still be written to: it stays, and its
        // journal with it, so that no part is left without one.
        if (stopped) {
            RecycleClip(m_clipPath);
        } else {
            g_log.Print(L"!!! The new part and its journal are kept for the next start: %s", m_clipPath.c_str());
            settled = false;
        }
        m_clipPath = m_prevPartPath;
        m_spots = m_spotsBeforeTake;
        ShowSpots();
        step = false;
    } else if (!m_prevPartPath.empty()) {
        settled = step = JoinWithEarlierClip(stopped);
    }
    SwitchMode(InterfaceMode::Idle);

    const uint32_t duration = ClipDuration(m_clipPath);
    if (duration != ClipPlayer::kNoDuration) m_timeLine.SetLength(duration);
    // A take kept shows its levels as measured while it ran; a clip left as it was shows its own.
    const uint32_t length = duration != ClipPlayer::kNoDuration ? duration : 0;
    if (step) m_envelope.EndTake(m_clipPath, length);
    else m_envelope.ShowClip(m_clipPath, length);
    // No duration is a negative position, which the time line takes as 0. A take left out
    // puts the cursor back where it began.
    m_timeLine.SetPosition(step || (!settled && !leftOut) ? static_cast<int32_t>(duration) : m_startPos);

    m_blinking.StopBlinking();
    StartLevelListener();
    if (settled) EndTakeJournal();
    else KeepTakeJournal();
    if (step) RecordStep(StepKind::kRecording, m_stateBeforeTake);
}

// On success the joined clip becomes the current one. On failure nothing is deleted: the
// earlier clip is the current one again, with the spots it had before the take, and the user
// is told where the new part is.
bool CMainDlg::JoinWithEarlierClip(bool partComplete) {
    g_log.Print(L"Joining newly recorded part with rest");
    JoinRequest request;
    request.earlier = m_prevPartPath;
    request.cutAtMostBytes = static_cast<uint64_t>(static_cast<uint32_t>(m_startPos)) * recording::kBytesPerMs;
    request.part = m_clipPath;
    request.joined = JoinedClipPath();

    std::wstring error;
    // A part the recorder could not close may still be written to: it is kept as it is.
    const bool joined = partComplete ? JoinClips(request, error) : (error = L"the recorder did not stop cleanly", false);
    if (!joined) {
        g_log.Print(L"!!! Joining failed, both parts kept: %s", error.c_str());
        const std::wstring text = L"The new recording could not be joined to the earlier clip:\n" + error +
                                  L"\n\nNothing was deleted, and the join will be offered again at the next "
                                  L"start. The earlier clip is\n" + request.earlier +
                                  L"\nand the new recording is\n" + request.part;
        MessageBoxW(m_hWnd, text.c_str(), L"Error", MB_ICONERROR);
        m_clipPath = request.earlier;
        m_spots = m_spotsBeforeTake;
        ShowSpots();
        return false;
    }
    // The earlier clip waits for Undo (the take's step holds it); the part lives on in the
    // joined clip.
    RecycleClip(request.part);
    m_clipPath = request.joined;
    g_log.Print(L"New joined file is: %s", m_clipPath.c_str());
    return true;
}
