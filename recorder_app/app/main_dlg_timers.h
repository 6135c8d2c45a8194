// The main dialog's timers: playback, recording, and the level listener otherwise.
#pragma once
#include <windows.h>

constexpr UINT_PTR kPlaybackTimer = 1;
constexpr UINT kPlaybackTimerMs = 50;
constexpr UINT_PTR kRecordingTimer = 2;
constexpr UINT kRecordingTimerMs = 100;
constexpr UINT_PTR kListenerTimer = 3;
constexpr UINT kListenerTimerMs = 50;
