// The list of the files an update brings, "updates\update.lst". The recorder writes it as the
// very last step of a download, once every entry of the archive is unpacked whole, so that its
// presence says the update is complete; the updater installs exactly the files it names and
// nothing else it may find in "updates". One path a line, relative to "updates", UTF-8, each
// line ended by CR LF.
#pragma once
#include <string>
#include <vector>

constexpr wchar_t kUpdateListName[] = L"update.lst";

// Writes the list into updatesFolder under a temporary name, flushes it to disk and only then
// renames it into place. False on any failure, and when a file would take the list's place
// (or its temporary one); then no list is left.
bool WriteUpdateList(const std::wstring& updatesFolder, const std::vector<std::wstring>& files);

// Deletes the list, so that an attempt that does not finish cannot leave the list of an
// earlier one behind.
void DiscardUpdateList(const std::wstring& updatesFolder);

// Reads the list; false when there is none or it cannot be read. Empty lines are skipped.
bool ReadUpdateList(const std::wstring& updatesFolder, std::vector<std::wstring>* files);

// The files without the one of that name (compared as Windows does, ignoring case).
std::vector<std::wstring> WithoutFile(const std::vector<std::wstring>& files, const std::wstring& name);
