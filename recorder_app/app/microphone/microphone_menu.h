// The "Microphone" submenu of the main window's system menu: "System default", then every
// recording device by name, the one captured from checked.
#pragma once
#include <windows.h>
#include <string>
#include <vector>
#include "audio/capture/device_match.h"

// System-menu commands must keep their low four bits clear (WM_SYSCOMMAND uses them) and
// stay below the system's own (0xF000): the submenu's commands are 0x1000 and up in steps
// of 16, one per device, through 0x1FF0.
constexpr UINT kMicrophoneDefaultCommand = 0x1000;
constexpr UINT kMicrophoneFirstDeviceCommand = 0x1010;
constexpr UINT kMicrophoneLastCommand = 0x1FF0;
constexpr UINT kMicrophoneCommandStep = 0x10;

// What a choice in the submenu names: the system default, or a device by its index.
constexpr int kMicrophoneDefault = -1;
constexpr int kNotMicrophoneCommand = -2;

// Puts devices in the order the submenu lists them: alphabetically, whatever order the
// system numbers the devices in (which can change from one start to the next), devices of one
// name by their endpoints so that they keep their places too, and without devices that gave
// no name.
void SortMicrophones(std::vector<CaptureDevice>& devices);

// Inserts the empty submenu directly below the separator above "Close", or with a separator
// of its own above "Close" when there is none, and returns it. Null when the system menu
// has no "Close".
HMENU AddMicrophoneMenu(HMENU systemMenu);

// Fills the submenu afresh from the devices present, in their order. A name that an earlier
// device bears too is numbered ("Name (2)"), so that two microphones of one model can be
// told apart. chosen is a device's index or kMicrophoneDefault; a chosen device that is not
// present (absent not empty) is listed last, checked and greyed, so that the user sees the
// choice cannot be used now.
void FillMicrophoneMenu(HMENU submenu, const std::vector<CaptureDevice>& devices, int chosen,
                        const std::wstring& absent);

// Greys the submenu's entry in the system menu, or makes it usable again.
void EnableMicrophoneMenu(HMENU systemMenu, HMENU submenu, bool enabled);

// The choice a WM_SYSCOMMAND's wParam stands for: kMicrophoneDefault, a device's index, or
// kNotMicrophoneCommand for every other command.
int MicrophoneChoiceOf(WPARAM command);
