// Unpacking the update archive into a folder.
#pragma once
#include <string>

struct UnpackSummary {
    int entries = 0;   // as the archive's directory announces them
    int written = 0;   // files and folders made
    int refused = 0;   // names that would lead outside the folder, or that Windows cannot take
    int failed = 0;    // entries that could not be read or written whole
};

// Unpacks every entry of the archive into baseFolder (which must exist), in the archive's
// order, with the entries' attributes and times. A damaged archive leaves whatever could be
// unpacked; nothing is ever written outside baseFolder. Never throws.
UnpackSummary UnpackArchive(const std::wstring& archivePath, const std::wstring& baseFolder);
