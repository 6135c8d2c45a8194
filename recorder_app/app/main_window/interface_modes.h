// The four interface modes and what each does to the main window's controls.
#pragma once

enum class InterfaceMode { New, Idle, Playback, Recording };

// The values of the main window's m_mode: what the window is busy with. InterfaceMode is what
// a switch asks for; the new and the idle mode are both kModeIdle.
constexpr unsigned kModeRecording = 0;
constexpr unsigned kModeIdle = 1;
constexpr unsigned kModePlaying = 2;

// What a mode switch does to one control; Keep leaves it as it is.
enum class Enable { Keep, Off, On };
enum class Images { Keep, Normal, Stop };

struct ButtonChange {
    int id;
    Enable enable;
    Images images;
    const wchar_t* tooltip;  // nullptr: unchanged
};

struct ModeLayout {
    const wchar_t* logLine;
    unsigned modeValue;  // m_mode after the switch
    ButtonChange buttons[8];
    Enable timeLine;
};

const ModeLayout& LayoutOf(InterfaceMode mode);
