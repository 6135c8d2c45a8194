// The local copy of a clip that is about to be published: all of it or nothing.
#pragma once
#include <string>

// Copies source to target, replacing target, in large blocks (the system's own copy moves a
// two-hour clip in 64 KB steps, twice as slow as it need be). On failure, a full disk among
// them, no partial target is left, the system's error code is kept for GetLastError and the
// result is false.
bool CopyWholeFile(const std::wstring& source, const std::wstring& target);
