// The folders the program keeps its files in.
#pragma once
#include <string>

// The user's documents folder; empty if the system cannot tell.
std::wstring DocumentsFolder();
// Documents + "My Podcasts"; empty if there is no documents folder.
std::wstring PodcastsFolder();
// The local application-data folder, where crash dumps go.
std::wstring LocalAppDataFolder();
// The folder of the program file, full path, with its trailing backslash.
std::wstring ProgramFolder();
