// Driving a publication through the program's windows, shared by the publication tests and
// the publication benchmark: the settings the program reads, the dialogs and boxes it shows.
#pragma once
#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>
#include "app_harness.h"

namespace e2e {

// The program's registry settings for one run, removed afterwards so that others find none.
class ProgramSettings {
public:
    explicit ProgramSettings(const std::wstring& serverHost);
    ~ProgramSettings();
    ProgramSettings(const ProgramSettings&) = delete;
    ProgramSettings& operator=(const ProgramSettings&) = delete;
    void SetDword(const wchar_t* name, DWORD value);
    std::wstring String(const wchar_t* name) const;
    DWORD Dword(const wchar_t* name) const;  // all bits set when absent

private:
    HKEY m_key = nullptr;
    std::wstring m_previousHost;
};

std::wstring Env(const wchar_t* name);
std::wstring FromUtf8(const std::string& utf8);
bool WriteBytes(const std::wstring& path, const std::string& bytes);
// A silent clip in the recording format: zeroed frames, padded as an encoder pads them.
bool WriteSilentClip(const std::wstring& path, uint32_t durationMs);
std::wstring DocumentsFolder();
std::wstring TodayText();  // YYYY-MM-DD, local

bool HasLine(const RecorderApp& app, const std::wstring& line);
bool WaitForLine(const RecorderApp& app, const std::wstring& line, DWORD timeoutMs = 10000);

// A visible top-level window of the program other than the main window.
HWND WaitForWindow(const RecorderApp& app, const std::function<bool(HWND)>& match, DWORD timeoutMs = 10000);
HWND WaitForSubmitDialog(const RecorderApp& app);
HWND WaitForProgressDialog(const RecorderApp& app, DWORD timeoutMs = 10000, DWORD pollMs = 10);
// A message box with that caption (window null if none came).
MessageBoxInfo WaitForBox(const RecorderApp& app, const std::wstring& caption, DWORD timeoutMs = 10000);

void SetField(HWND dialog, int id, const std::wstring& text);
bool Enabled(HWND dialog, int id);

// Open with no clip loaded.
bool OpenClip(RecorderApp& app, const std::wstring& clip);
// Publish on a clip without spots, answering the question with IDYES or IDNO.
bool PublishWithoutSpots(RecorderApp& app, int answer);
// Presses Login: true once logged in; false after the "Login failed" box, whose text goes to
// failure and which is answered.
bool LogIn(RecorderApp& app, HWND dialog, std::wstring* failure = nullptr, DWORD timeoutMs = 10000);
// Fills in the title and checks the terms; true once OK is enabled.
bool FillEpisode(RecorderApp& app, HWND dialog, const std::wstring& title);

}  // namespace e2e
