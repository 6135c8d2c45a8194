// Where an entry of the update archive may be written. Archive names come from the service,
// so a hostile or broken archive must never reach outside the folder it is unpacked into.
// Pure text handling, tested and fuzzed without Windows.
#pragma once
#include <string>

// The traditional cleaning of an entry name (UTF-8 bytes), repeated until nothing applies:
// a leading drive letter and colon, one leading separator, and everything up to and
// including the first "\..\", "\../", "/../" or "/..\" are dropped.
std::string CleanEntryName(std::string name);

// The cleaned name (as UTF-16) turned into a path relative to the base folder, with "\"
// between its components and "." components and repeated separators left out. Refused, with
// the reason, when a component is "..", holds a colon (a drive or an alternate data stream),
// a character Windows does not allow in names, ends in a dot or a space (Windows would drop
// them and could turn the component into ".."), or names a device such as CON, NUL or COM1.
// An empty relative path means the base folder itself.
bool EntryPathInsideBase(const std::wstring& cleanedName, std::wstring* relativePath, const char** reason);
