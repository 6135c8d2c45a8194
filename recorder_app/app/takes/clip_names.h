// Names of the files a recording makes in the unpublished folder. Pure logic.
#pragma once
#include <ctime>
#include <functional>
#include <string>

// "2026-12-07-10-11-12-345.mp3": local time, then a number from 0 to 999.
std::wstring RecordingFileName(const std::tm& localTime, int number);
// "2026-12-07-10-11-12.mp3": the clip that joins an earlier clip and a new part.
std::wstring JoinedFileName(const std::tm& localTime);
// folder + "\" + name.
std::wstring InFolder(const std::wstring& folder, const std::wstring& name);

// A new clip never replaces a file: `taken` tells whether a name is in use.
using NameTaken = std::function<bool(const std::wstring& name)>;
// The recording name with the first free number from `number` on, wrapping after 999; when
// all thousand are taken, numbers from 1000 on.
std::wstring FreeRecordingFileName(const std::tm& localTime, int number, const NameTaken& taken);
// The joined name, or when it is taken "2026-12-07-10-11-12 (2).mp3", "(3)" and so on.
std::wstring FreeJoinedFileName(const std::tm& localTime, const NameTaken& taken);
