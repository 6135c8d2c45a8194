// The "Undo <step>" and "Redo <step>" items of the main window's system menu.
#pragma once
#include <windows.h>

// System-menu command IDs keep their low four bits clear: the system uses them.
constexpr UINT kUndoCommand = 0x2100;
constexpr UINT kRedoCommand = 0x2110;

// At the top of the group above "Close" (the microphone's and the loudness items), with a
// separator below them.
void AddHistoryMenuItems(HWND window);
// Each item names its step ("Undo recording") and is greyed when stepName is null.
void ShowHistoryMenuItems(HWND window, const wchar_t* undoStep, const wchar_t* redoStep);
