// Names of the local copy of a published clip: the episode title becomes part of a file
// name and the podcast's name a folder, so neither may hold a character that a Windows file
// name cannot, nor anything that would lead the copy out of the podcast's folder. Pure logic.
#pragma once
#include <string>

// Without leading and trailing white space.
std::wstring TrimWhiteSpace(const std::wstring& text);

// The title with spaces, "*", "?", ":" and every other character a file name cannot hold
// ("\", "/", '"', "<", ">", "|" and control characters) replaced by "_".
std::wstring CleanFileTitle(const std::wstring& title);

// The podcast name, trimmed, with "*", "?", ":", "." and every other character a file name
// cannot hold replaced by "_"; spaces stay. With the dots gone it can never be "." or "..";
// a name left blank, or a device name such as "CON", gets a "_" after it.
std::wstring CleanFolderName(const std::wstring& name);

// Limits of the copy's path: Windows opens no path past MAX_PATH - 1 characters and takes no
// name past 255 UTF-16 units; Wine, on a Linux file system, no name past 255 bytes of UTF-8.
constexpr size_t kLongestPathChars = 259;
constexpr size_t kLongestNameUnits = 255;
constexpr size_t kLongestNameBytes = 255;
constexpr size_t kAnyNameBytes = static_cast<size_t>(-1);
// What a podcast's folder leaves of the path for the copy: "\Unpublished\", the date, a title
// long enough to tell episodes apart, a number and ".mp3".
constexpr size_t kCopyRoomChars = 80;

// The cleaned podcast name as the folder it becomes under a parent folder whose path is
// parentChars long: whole, as it always was, unless the copy's path would not fit, and then cut
// (and cleaned of what the cut leaves: trailing spaces, a device name) to leave kCopyRoomChars.
std::wstring FitFolderName(const std::wstring& folder, size_t parentChars);

// The copy's file name in a folder whose path is folderChars long: "DATE-TITLE.mp3" for the
// first copy, "DATE-TITLE (N).mp3" for the Nth, the title cut so that the whole path fits in
// kLongestPathChars and the name, suffix included, in kLongestNameUnits and maxNameBytes of
// UTF-8 (kAnyNameBytes: what Windows allows).
std::wstring CopyFileName(const std::wstring& date, const std::wstring& fileTitle, unsigned number,
                          size_t folderChars, size_t maxNameBytes);

// The longest start of text that fits in maxUnits UTF-16 units and, as UTF-8, in maxBytes
// bytes, never splitting a surrogate pair.
std::wstring CutToFit(const std::wstring& text, size_t maxUnits, size_t maxBytes);
