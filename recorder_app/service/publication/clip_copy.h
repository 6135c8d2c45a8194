// The local copy of a clip that is about to be published: all of it or nothing.
#pragma once
#include <string>

// Copies source to target, replacing target, in 1 MB blocks (as fast as the system's copy
// under Wine and beside cp; larger blocks were slower). On failure, a full disk among them, no
// partial target is left, the system's error code is kept for GetLastError and the result is
// false.
bool CopyWholeFile(const std::wstring& source, const std::wstring& target);
