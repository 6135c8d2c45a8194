// Names of the files a recording makes in the unpublished folder. Pure logic.
#pragma once
#include <ctime>
#include <string>

// "2026-12-07-10-11-12-345.mp3": local time, then a number from 0 to 999.
std::wstring RecordingFileName(const std::tm& localTime, int number);
// "2026-12-07-10-11-12.mp3": the clip that joins an earlier clip and a new part.
std::wstring JoinedFileName(const std::tm& localTime);
// folder + "\" + name.
std::wstring InFolder(const std::wstring& folder, const std::wstring& name);
