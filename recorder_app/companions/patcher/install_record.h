// The record beside the program of what updates installed ("installed.lst"), which the
// uninstaller reads so that it removes the files updates added, and the folders they made,
// besides its own files and nothing else. UTF-16LE with a byte-order mark (the uninstaller
// reads it with NSIS's FileReadUTF16LE), one path a line relative to the program's folder,
// each line ended by CR LF; a folder's line ends in "\". Folders come after the folders they
// are in, so the uninstaller takes them away in reverse order.
#pragma once
#include <string>
#include <vector>

// Adds the files, then the folders, that the record does not hold yet. False if the record
// cannot be read or written.
bool AppendToInstallRecord(const std::wstring& programFolder, const std::vector<std::wstring>& files,
                           const std::vector<std::wstring>& folders);

// The record's lines; empty when there is none.
std::vector<std::wstring> ReadInstallRecord(const std::wstring& programFolder);
