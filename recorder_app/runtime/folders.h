// The folders the program keeps its files in.
#pragma once
#include <string>

// The user's documents folder; empty if the system cannot tell.
std::wstring DocumentsFolder();
// Documents + "My Podcasts"; empty if there is no documents folder.
std::wstring PodcastsFolder();
// "My Podcasts\Unpublished", where recordings, joined clips and take journals go; empty if
// there is no documents folder. Not created here.
std::wstring RecordingsFolder();
// The local application-data folder, where crash dumps go.
std::wstring LocalAppDataFolder();
// The last component of a path: the file's name with its extension.
std::wstring FileNameOf(const std::wstring& path);
// The folder of the program file, full path, with its trailing backslash.
std::wstring ProgramFolder();
