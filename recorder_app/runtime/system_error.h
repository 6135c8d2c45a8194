// The system's own wording of an error code, for boxes and log lines.
#pragma once
#include <windows.h>
#include <string>

// The text for `code` from the system message table, without the trailing line break.
std::wstring SystemErrorText(DWORD code);
