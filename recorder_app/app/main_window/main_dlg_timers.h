// The main dialog's timers: playback, recording, and the level listener otherwise.
#pragma once
#include <windows.h>

constexpr UINT_PTR kPlaybackTimer = 1;
constexpr UINT kPlaybackTimerMs = 50;
constexpr UINT_PTR kRecordingTimer = 2;
constexpr UINT kRecordingTimerMs = 100;
constexpr UINT_PTR kListenerTimer = 3;
constexpr UINT kListenerTimerMs = 50;
// Once, when the window first waits for input: Wine takes tens of milliseconds to open the
// recording device, which the window need not wait for before it shows.
constexpr UINT_PTR kListenerStartTimer = 4;
constexpr UINT kListenerStartTimerMs = 10;
