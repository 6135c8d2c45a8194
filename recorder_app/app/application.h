// Start-up, the message loop and shutdown of the whole program.
#pragma once
#include <windows.h>

// Runs the program from start-up to shutdown; the exit code is always 0.
int RunApplication(HINSTANCE instance, int showCommand);
