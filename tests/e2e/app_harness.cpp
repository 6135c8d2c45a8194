#include "app_harness.h"

#include <cstdlib>
#include <cstring>
#include <shlobj.h>
#include <algorithm>
#include "../../recorder_app/app/command_rules/playback_sequence.h"
#include "../../recorder_app/app/crash/crash_test_trigger.h"
#include "../support/file_bytes.h"
#include "sound_check.h"

namespace e2e {

namespace {
// Every recorder a test starts answers the crash-test message; a test that wants one that
// does not clears the variable around its Start.
[[maybe_unused]] const bool g_crashTestArmed = SetEnvironmentVariableW(kCrashTestVariable, L"1") != FALSE;
}  // namespace

std::wstring WindowsPath(const std::wstring& unixPath) {
    std::wstring path = unixPath;
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

namespace {
std::wstring Widen(const char* text) {
    std::wstring wide;
    while (*text) wide.push_back(static_cast<unsigned char>(*text++));
    return wide;
}
}  // namespace

std::wstring DistDir() {
    wchar_t value[MAX_PATH] = L"";
    if (GetEnvironmentVariableW(L"QB_DIST_DIR", value, MAX_PATH) != 0) return WindowsPath(value);
    return WindowsPath(Widen(QB_DIST_DIR_DEFAULT));
}

std::wstring ReporterStub() {
    return WindowsPath(Widen(QB_REPORTER_STUB_PATH));
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && folder.back() == L'\\') return folder + name;
    return folder + L"\\" + name;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadBytes(const std::wstring& path) { return ReadFileBytes(path); }

std::vector<std::wstring> ReadUtf16Lines(const std::wstring& path) {
    const std::string bytes = ReadBytes(path);
    std::wstring text(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (size_t lf; (lf = text.find(L'\n', start)) != std::wstring::npos; start = lf + 1)
        lines.push_back(text.substr(start, lf - start));
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::wstring WindowText(HWND window) {
    wchar_t text[2048] = L"";
    GetWindowTextW(window, text, 2048);
    return text;
}

namespace {

struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindowOfProcess(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid) search->found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindowsOf(DWORD processId) {
    WindowSearch search{processId, {}};
    EnumWindows(&CollectWindowOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

namespace {

bool IsDialogClass(HWND window) {
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return lstrcmpW(name, L"#32770") == 0;
}

int g_instance = 0;

// Removes a folder and the files in it (the app folders hold no subfolders).
void RemoveFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(JoinPath(folder, L"*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW(JoinPath(folder, found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

RecorderApp::RecorderApp() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    // Wine reuses process IDs from one test process to the next: the tick count keeps
    // folders apart.
    m_appDir = JoinPath(temp, L"qb-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(++g_instance));
    CreateDirectoryW(m_appDir.c_str(), nullptr);
    const std::wstring dist = DistDir();
    for (const wchar_t* name : {L"recorder.exe", L"lame_enc.dll", kJingleFileName})
        CopyFileW(JoinPath(dist, name).c_str(), JoinPath(m_appDir, name).c_str(), FALSE);
}

RecorderApp::~RecorderApp() {
    if (IsRunning()) {
        TerminateProcess(m_process.hProcess, 1);
        WaitForSingleObject(m_process.hProcess, 5000);
        // Ended during a take, it leaves a journal that the next test's recorder would ask about.
        const std::wstring folder = UnpublishedFolder();
        for (const std::wstring& name : FilesIn(folder))
            if (name.rfind(L"take-" + std::to_wstring(m_process.dwProcessId) + L"-", 0) == 0)
                DeleteFileW(JoinPath(folder, name).c_str());
    }
    if (m_process.hProcess != nullptr) CloseHandle(m_process.hProcess);
    if (m_process.hThread != nullptr) CloseHandle(m_process.hThread);
    RemoveFolder(m_appDir);
}

bool RecorderApp::AddFile(const std::wstring& source, const std::wstring& name) {
    return CopyFileW(source.c_str(), JoinPath(m_appDir, name).c_str(), FALSE) != FALSE;
}

bool RecorderApp::Start(DWORD timeoutMs) {
    return Launch() && WaitForMainWindow(timeoutMs);
}

bool RecorderApp::Launch() {
    std::wstring program = JoinPath(m_appDir, L"recorder.exe");
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    // Started from another folder, so that the program has to find its own.
    return CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &m_process) != FALSE;
}

bool RecorderApp::WaitForMainWindow(DWORD timeoutMs) {
    return WaitFor(
        [this] {
            for (HWND window : TopLevelWindowsOf(m_process.dwProcessId)) {
                if (IsDialogClass(window) && IsWindowVisible(window) &&
                    WindowText(window).rfind(L"Quillbank Recorder", 0) == 0) {
                    m_mainWindow = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
}

DWORD RecorderApp::WaitForExit(DWORD timeoutMs) {
    if (m_process.hProcess == nullptr) return STILL_ACTIVE;
    if (WaitForSingleObject(m_process.hProcess, timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_process.hProcess, &code);
    return code;
}

bool RecorderApp::IsRunning() const {
    return m_process.hProcess != nullptr && WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
}

void RecorderApp::ClickWindow(HWND window) {
    HWND top = GetAncestor(window, GA_ROOT);
    SetForegroundWindow(top);
    WaitFor([top] { return GetForegroundWindow() == top; }, 2000);
    RECT r;
    GetWindowRect(window, &r);
    // Absolute coordinates in every event, so that the press lands where the pointer was
    // moved even if the move has not been applied yet.
    const LONG x = ((r.left + r.right) / 2) * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    const LONG y = ((r.top + r.bottom) / 2) * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    INPUT events[3]{};
    const DWORD flags[3] = {MOUSEEVENTF_MOVE, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    for (int i = 0; i < 3; ++i) {
        events[i].type = INPUT_MOUSE;
        events[i].mi.dx = x;
        events[i].mi.dy = y;
        events[i].mi.dwFlags = flags[i] | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    }
    SendInput(3, events, sizeof events[0]);
}

void RecorderApp::DragOnTimeLine(int fromColumn, int toColumn) {
    SetForegroundWindow(m_mainWindow);
    WaitFor([this] { return GetForegroundWindow() == m_mainWindow; }, 2000);
    // At a hand's pace: events sent all at once reach the program merged, and Wine may hand
    // it a late move a column or two short of the release.
    auto send = [this](int column, DWORD button) {
        POINT p{kTimeLineOrigin.x + column, kTimeLineOrigin.y + 40};  // inside the clip area
        ClientToScreen(m_mainWindow, &p);
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dx = p.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        input.mi.dy = p.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
        input.mi.dwFlags = button | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        SendInput(1, &input, sizeof input);
        Sleep(button == 0 ? 10 : 100);  // a mouse reports a hundred moves a second
    };
    send(fromColumn, 0);
    send(fromColumn, MOUSEEVENTF_LEFTDOWN);
    const int step = toColumn > fromColumn ? 1 : -1;
    for (int column = fromColumn; column != toColumn; column += step) send(column + step, 0);
    if (toColumn != fromColumn) Sleep(200);  // the hand stops before it lets go
    send(toColumn, MOUSEEVENTF_LEFTUP);
}

void RecorderApp::ClickControl(int controlId) {
    ClickWindow(GetDlgItem(m_mainWindow, controlId));
}

void RecorderApp::PressKey(WORD virtualKey, WORD modifier) {
    SetForegroundWindow(m_mainWindow);
    WaitFor([this] { return GetForegroundWindow() == m_mainWindow; }, 2000);
    INPUT keys[4]{};
    UINT count = 0;
    auto key = [&](WORD vk, DWORD flags) {
        keys[count].type = INPUT_KEYBOARD;
        keys[count].ki.wVk = vk;
        keys[count++].ki.dwFlags = flags;
    };
    if (modifier != 0) key(modifier, 0);
    key(virtualKey, 0);
    key(virtualKey, KEYEVENTF_KEYUP);
    if (modifier != 0) key(modifier, KEYEVENTF_KEYUP);
    SendInput(count, keys, sizeof keys[0]);
}

MessageBoxInfo RecorderApp::WaitForMessageBox(DWORD timeoutMs) {
    MessageBoxInfo info;
    WaitFor(
        [&] {
            for (HWND window : TopLevelWindowsOf(m_process.dwProcessId)) {
                if (window != m_mainWindow && IsDialogClass(window) && IsWindowVisible(window)) {
                    info.window = window;
                    info.caption = WindowText(window);
                    info.text = WindowText(GetDlgItem(window, 0xFFFF));  // the box's text
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return info;
}

bool RecorderApp::AnswerMessageBox(const MessageBoxInfo& box, int buttonId) {
    HWND button = GetDlgItem(box.window, buttonId);
    if (button == nullptr) return false;
    const auto gone = [&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); };
    // A click made before the X server has mapped a box just shown is lost: the program is
    // let settle first, and while the box stays, untouched, the click is made again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        WaitUntilIdle();
        if (gone()) return true;
        ClickWindow(button);
        if (WaitFor(gone, 5000)) return true;
    }
    return WaitFor(gone, 10000);
}

namespace {

BOOL CALLBACK FindEdit(HWND window, LPARAM found) {
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    if (lstrcmpiW(name, L"Edit") != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The file-name field of a file box: an edit of its own, or the edit inside its combo box
// (at any depth: an extended combo box holds a combo box that holds the edit).
HWND FileNameField(HWND box) {
    if (HWND edit = GetDlgItem(box, 0x480)) return edit;  // edt1
    HWND edit = nullptr;
    if (HWND combo = GetDlgItem(box, 0x47C)) EnumChildWindows(combo, &FindEdit, reinterpret_cast<LPARAM>(&edit));  // cmb13
    return edit;
}

}  // namespace

bool RecorderApp::ChooseFileInDialog(const std::wstring& path, DWORD timeoutMs) {
    HWND box = nullptr, field = nullptr;
    const bool shown = WaitFor(
        [&] {
            for (HWND window : TopLevelWindowsOf(m_process.dwProcessId)) {
                if (window != m_mainWindow && IsDialogClass(window) && IsWindowVisible(window) &&
                    (field = FileNameField(window)) != nullptr && IsWindowVisible(field)) {
                    box = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    if (!shown || !WaitUntilIdle()) return false;
    ClickWindow(field);
    WaitFor([&] { return GetForegroundWindow() == box; }, 2000);
    SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    INPUT keys[2]{};
    keys[0].type = keys[1].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = keys[1].ki.wVk = VK_RETURN;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof keys[0]);
    // Gone, not just hidden: the command goes on only once the box is destroyed. Polled
    // every millisecond, so that a benchmark can time the command from here.
    for (const DWORD start = GetTickCount(); IsWindow(box); Sleep(1))
        if (GetTickCount() - start > timeoutMs) return false;
    return true;
}

bool RecorderApp::WaitUntilIdle(DWORD timeoutMs) const {
    return m_process.hProcess != nullptr && WaitForInputIdle(m_process.hProcess, timeoutMs) == 0;
}

std::wstring RecorderApp::LogPath() const {
    wchar_t documents[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents);
    return JoinPath(JoinPath(documents, L"My Podcasts"), L"recorder.log");
}

size_t RecorderApp::CountLogLines(const std::wstring& line) const {
    const auto lines = LogLines();
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

bool RecorderApp::WaitForLogLine(const std::wstring& line, size_t count, DWORD timeoutMs) const {
    return WaitFor([&] { return CountLogLines(line) >= count; }, timeoutMs);
}

std::wstring RecorderApp::LastLogValue(const std::wstring& prefix) const {
    const auto lines = LogLines();
    for (auto it = lines.rbegin(); it != lines.rend(); ++it)
        if (it->rfind(prefix, 0) == 0) return it->substr(prefix.size());
    return {};
}

int LitMeterRows(HWND mainWindow) {
    constexpr RECT kMeter{269, 17, 278, 76};
    constexpr COLORREF kBackground = RGB(0xDA, 0xDA, 0xDA);
    POINT origin{kMeter.left, kMeter.top};
    ClientToScreen(mainWindow, &origin);
    HDC screen = GetDC(nullptr);
    int lit = 0;
    for (int y = 0; y < kMeter.bottom - kMeter.top; ++y) {
        for (int x = 0; x < kMeter.right - kMeter.left; ++x) {
            if ((GetPixel(screen, origin.x + x, origin.y + y) & 0xFFFFFF) != kBackground) {
                ++lit;
                break;
            }
        }
    }
    ReleaseDC(nullptr, screen);
    return lit;
}

std::wstring CorpusPath(const char* variable, const std::wstring& name) {
    const char* folder = std::getenv(variable);
    return WindowsPath(std::wstring(folder, folder + (folder ? std::strlen(folder) : 0)) + L"/" + name);
}

std::vector<int> EnvelopeBarHeights(HWND mainWindow, int columns) {
    constexpr POINT kTimeLine = kTimeLineOrigin;
    constexpr int kAreaTop = 9;  // below the scroll bar
    constexpr COLORREF kEnvelope = RGB(0x4E, 0x6A, 0x88);
    POINT origin = kTimeLine;
    ClientToScreen(mainWindow, &origin);
    HDC screen = GetDC(nullptr);
    std::vector<int> heights(columns, 0);
    for (int x = 0; x < columns; ++x)
        for (int y = kAreaTop; y < kAreaTop + kEnvelopeFullHeight; ++y)
            if ((GetPixel(screen, origin.x + x, origin.y + y) & 0xFFFFFF) == kEnvelope) ++heights[x];
    ReleaseDC(nullptr, screen);
    return heights;
}

}  // namespace e2e
