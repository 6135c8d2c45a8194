// The four interface modes and what each does to the main window's controls.
#pragma once

enum class InterfaceMode { New, Idle, Playback, Recording };

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
    unsigned modeValue;  // m_mode: 0 recording, 1 new or idle, 2 playback
    ButtonChange buttons[8];
    Enable timeLine;
};

const ModeLayout& LayoutOf(InterfaceMode mode);
