// What an update brings: the files under the "updates" folder, each named by its path
// relative to that folder, which is also its place in the program's folder.
#pragma once
#include <string>
#include <vector>

// The folder the recorder unpacks an update into, inside the program's folder.
constexpr wchar_t kUpdatesFolderName[] = L"updates";

// True for a relative path that stays inside the folder it is joined to: components separated
// by backslashes, none empty, "." or "..", and no drive, colon or leading separator.
bool IsContainedRelativePath(const std::wstring& relative);

// Every file under folder (not the folders themselves), sorted, as paths relative to it.
// Folders that are links elsewhere (reparse points) are not entered, so nothing outside the
// program's folder is ever picked up. Empty if the folder is missing.
std::vector<std::wstring> ListFilesUnder(const std::wstring& folder);

// Removes the empty folders below folder, deepest first; folder itself stays.
void RemoveEmptyFoldersUnder(const std::wstring& folder);

// folder + "\" + relative, without doubling a trailing backslash.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& relative);
