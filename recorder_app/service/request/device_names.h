// Names Windows takes for a device rather than a file, in any folder. Pure logic.
#pragma once
#include <string>

// Windows opens the device whatever the extension: "nul.txt" and "COM1.log" are devices too,
// as are the superscript-digit ports.
bool IsDeviceName(const std::wstring& component);
