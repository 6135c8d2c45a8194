#include "interface_modes.h"
#include "res/resource.h"

namespace {

constexpr Enable K = Enable::Keep, Off = Enable::Off, On = Enable::On;
constexpr Images Same = Images::Keep, Normal = Images::Normal, Stop = Images::Stop;

const ModeLayout kNew{
    L"Switching interface to the new mode", kModeIdle,
    {{IDC_PLAY, Off, Same, L"Play clip"},
     {IDC_RECORD, On, Same, L"Record clip"},
     {IDC_REWIND_BACK, Off, Same, L"Rewind one second back"},
     {IDC_REWIND_FORWARD, Off, Same, L"Rewind one second forward"},
     {IDC_ADVSPOT, Off, Same, L"Place advertising spot"},
     {IDC_OPEN, On, Same, L"Open existing audio file"},
     {IDC_SAVE, Off, Same, L"Save episode to disk"},
     {IDC_PUBLISH, Off, Same, L"Upload your clip to Quillbank"}},
    Off};

const ModeLayout kIdle{
    L"Switching interface to the idle mode", kModeIdle,
    {{IDC_PLAY, On, Normal, L"Play clip"},
     {IDC_RECORD, On, Normal, L"Record clip"},
     {IDC_REWIND_BACK, On, Same, nullptr},
     {IDC_REWIND_FORWARD, On, Same, nullptr},
     {IDC_ADVSPOT, On, Same, nullptr},
     {IDC_OPEN, On, Same, nullptr},
     {IDC_SAVE, On, Same, nullptr},
     {IDC_PUBLISH, On, Same, nullptr}},
    On};

const ModeLayout kPlayback{
    L"Switching interface to the playback mode", kModePlaying,
    {{IDC_PLAY, On, Stop, L"Stop playing"},
     {IDC_RECORD, Off, Same, nullptr},
     {IDC_REWIND_BACK, K, Same, nullptr},
     {IDC_REWIND_FORWARD, K, Same, nullptr},
     {IDC_ADVSPOT, On, Same, nullptr},
     {IDC_OPEN, Off, Same, nullptr},
     {IDC_SAVE, Off, Same, nullptr},
     {IDC_PUBLISH, Off, Same, nullptr}},
    On};

const ModeLayout kRecording{
    L"Switching interface to the recording mode", kModeRecording,
    {{IDC_PLAY, Off, Same, nullptr},
     {IDC_RECORD, On, Stop, L"Stop recording"},
     {IDC_REWIND_BACK, Off, Same, nullptr},
     {IDC_REWIND_FORWARD, Off, Same, nullptr},
     {IDC_ADVSPOT, On, Same, nullptr},
     {IDC_OPEN, Off, Same, nullptr},
     {IDC_SAVE, Off, Same, nullptr},
     {IDC_PUBLISH, Off, Same, nullptr}},
    Off};

}  // namespace

const ModeLayout& LayoutOf(InterfaceMode mode) {
    switch (mode) {
    case InterfaceMode::New: return kNew;
    case InterfaceMode::Idle: return kIdle;
    case InterfaceMode::Playback: return kPlayback;
    case InterfaceMode::Recording: return kRecording;
    }
    return kNew;
}
