// A timeline of the start, switched on by the environment variable QB_STARTUP_TIMELINE: each
// step's time since the process was created goes to the log, the steps before the main
// window's first paint once that paint is complete (the log is not open for the first ones).
// A named event of the variable's value, if one exists, is set at that paint, so that a
// benchmark can stop its clock there.
#pragma once

// Notes a step; does nothing while the timeline is off.
void MarkStartupStep(const wchar_t* step);
// The main window's first WM_PAINT is complete.
void MarkFirstPaint();
