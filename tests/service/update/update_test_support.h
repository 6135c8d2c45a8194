// What the update tests share: the archives made for them, fresh folders, file helpers.
#pragma once
#include <windows.h>
#include <string>
#include "../../support/file_bytes.h"

// A file of the archives folder that with_archives.sh made, as a Windows path.
std::wstring ArchivePath(const wchar_t* name);
// A fresh, empty folder of its own for one test (inside the test environment's temp folder).
std::wstring FreshFolder(const wchar_t* name);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool Exists(const std::wstring& path);
// Names in a folder, "." and ".." left out.
int CountEntries(const std::wstring& folder);
