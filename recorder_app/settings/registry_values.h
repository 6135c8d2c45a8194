// Reading the program's registry values under the rules every reader shares: strings of at
// most 1024 UTF-16 units that are stored whole, 32-bit numbers of exactly four bytes.
#pragma once
#include <windows.h>
#include <string>

// The program's key under HKEY_CURRENT_USER.
constexpr wchar_t kSettingsKeyPath[] = L"Software\\QuillbankRecorder";

// Longest accepted string value, terminating zero included.
constexpr DWORD kRegistryStringUnits = 1024;

// Opens (creating if missing) a key under HKEY_CURRENT_USER for reading and writing;
// null when it cannot be opened.
HKEY OpenUserKey(const wchar_t* path);

// A string is accepted only if stored as REG_SZ or REG_EXPAND_SZ (references are left
// unexpanded), with an even byte length ending in a zero unit and fitting the buffer.
// Anything else, like a missing value, gives false and leaves *value alone.
bool ReadRegistryString(HKEY key, const wchar_t* name, std::wstring* value);

// Four bytes of any stored type; other lengths count as missing.
bool ReadRegistryRaw32(HKEY key, const wchar_t* name, DWORD* value);

// Only a value stored as REG_DWORD.
bool ReadRegistryDword(HKEY key, const wchar_t* name, DWORD* value);

// Writes a REG_SZ value; false when the key is null or the write fails.
bool WriteRegistryString(HKEY key, const wchar_t* name, const std::wstring& value);

// Removes a value; a value that is not there counts as removed.
bool DeleteRegistryValue(HKEY key, const wchar_t* name);
