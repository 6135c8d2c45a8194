// Drives the real recorder.exe as a user would: starts it from a folder of its own, finds
// its windows, clicks, presses keys, answers message boxes and reads its log.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace e2e {

// A Windows path for a unix path (Wine maps Z: to /).
std::wstring WindowsPath(const std::wstring& unixPath);
// dist/ of the build: QB_DIST_DIR if set, else the build's own.
std::wstring DistDir();
// A file of a corpus fixture whose folder the environment variable names (a unix path).
std::wstring CorpusPath(const char* variable, const std::wstring& name);
// The stand-in crash reporter, which records how it was started.
std::wstring ReporterStub();
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
bool FileExists(const std::wstring& path);
std::string ReadBytes(const std::wstring& path);
// UTF-16LE file content split at line feeds (the last, empty piece after a final LF dropped).
std::vector<std::wstring> ReadUtf16Lines(const std::wstring& path);
// Polls predicate every 10 ms until it holds or timeoutMs passes.
template <class Predicate>
bool WaitFor(Predicate predicate, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (predicate()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
}

struct MessageBoxInfo {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;
};

class RecorderApp {
public:
    // Copies dist/ into a fresh folder of its own.
    RecorderApp();
    ~RecorderApp();
    RecorderApp(const RecorderApp&) = delete;
    RecorderApp& operator=(const RecorderApp&) = delete;

    const std::wstring& AppDir() const { return m_appDir; }
    bool AddFile(const std::wstring& source, const std::wstring& name);

    // Starts the program and waits until its main window is shown.
    bool Start(DWORD timeoutMs = 30000);
    // Start in two halves, for a caller that must not poll while the program starts: the
    // process alone, then the wait for its main window.
    bool Launch();
    bool WaitForMainWindow(DWORD timeoutMs = 30000);
    HWND MainWindow() const { return m_mainWindow; }
    DWORD ProcessId() const { return m_process.dwProcessId; }
    // Waits for the process to end; returns its exit code, or STILL_ACTIVE on time-out.
    DWORD WaitForExit(DWORD timeoutMs = 20000);
    bool IsRunning() const;

    // A real mouse click in the middle of a control of the main window.
    void ClickControl(int controlId);
    void ClickWindow(HWND window);
    // A real press on the time line at one of its columns, moves to another and the release
    // there (a drag when the two are apart; a click when they are the same).
    void DragOnTimeLine(int fromColumn, int toColumn);
    // A real key press with the main window in front.
    void PressKey(WORD virtualKey, WORD modifier = 0);
    // The first message box of the process (a dialog other than the main window).
    MessageBoxInfo WaitForMessageBox(DWORD timeoutMs = 10000);
    // Clicks the box's button with that ID (IDYES, IDNO, IDOK) and waits until it closes.
    bool AnswerMessageBox(const MessageBoxInfo& box, int buttonId);
    // Waits for the system's Open or Save As box, puts `path` in its file-name field, presses
    // Enter and waits until the box is gone.
    bool ChooseFileInDialog(const std::wstring& path, DWORD timeoutMs = 20000);
    // Waits until the program waits for input with none pending. By then it has handed its
    // window changes to the X server, so that a click lands on what the program shows, not
    // on a box it has just closed or not yet mapped.
    bool WaitUntilIdle(DWORD timeoutMs = 10000) const;

    std::wstring LogPath() const;
    std::vector<std::wstring> LogLines() const { return ReadUtf16Lines(LogPath()); }
    // How many lines of the log are exactly `line`.
    size_t CountLogLines(const std::wstring& line) const;
    // Waits until the log holds `line` at least `count` times.
    bool WaitForLogLine(const std::wstring& line, size_t count = 1, DWORD timeoutMs = 20000) const;
    // The rest of the last log line that starts with `prefix` (empty if none does).
    std::wstring LastLogValue(const std::wstring& prefix) const;

private:
    std::wstring m_appDir;
    PROCESS_INFORMATION m_process{};
    HWND m_mainWindow = nullptr;
};

std::wstring WindowText(HWND window);
std::vector<HWND> TopLevelWindowsOf(DWORD processId);
// Rows of the main window's level meter, read from the screen, that show more than its
// background.
int LitMeterRows(HWND mainWindow);
// Rows of the envelope's colour in each of the time line's first `columns` columns, read
// from the screen.
std::vector<int> EnvelopeBarHeights(HWND mainWindow, int columns);
// Where the time line's first column and row lie in the main window's client area.
constexpr POINT kTimeLineOrigin{11, 79};
// Rows of the time line's clip area: the tallest bar an envelope can draw.
constexpr int kEnvelopeFullHeight = 59;

}  // namespace e2e
