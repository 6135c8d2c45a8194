#include "publish_driver.h"
#include <shlobj.h>
#include <cstdio>
#include "../../recorder_app/res/resource.h"

namespace e2e {

namespace {
const wchar_t kSettingsKey[] = L"Software\\QuillbankRecorder";
}

ProgramSettings::ProgramSettings(const std::wstring& serverHost) {
    // The prefix's own service host (a closed loopback port) comes back afterwards, so that
    // no later test's start-up query leaves the machine.
    wchar_t previous[1024] = L"";
    DWORD size = sizeof previous;
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, L"ServerHost", RRF_RT_REG_SZ, nullptr, previous, &size) ==
        ERROR_SUCCESS)
        m_previousHost = previous;
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_key, nullptr);
    RegSetValueExW(m_key, L"ServerHost", 0, REG_SZ, reinterpret_cast<const BYTE*>(serverHost.c_str()),
                   static_cast<DWORD>((serverHost.size() + 1) * sizeof(wchar_t)));
    SetDword(L"ProxyType", 0);
}

ProgramSettings::~ProgramSettings() {
    RegCloseKey(m_key);
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    if (m_previousHost.empty()) return;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExW(key, L"ServerHost", 0, REG_SZ, reinterpret_cast<const BYTE*>(m_previousHost.c_str()),
                   static_cast<DWORD>((m_previousHost.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void ProgramSettings::SetDword(const wchar_t* name, DWORD value) {
    RegSetValueExW(m_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

std::wstring ProgramSettings::String(const wchar_t* name) const {
    wchar_t value[1024] = L"";
    DWORD size = sizeof value;
    RegGetValueW(m_key, nullptr, name, RRF_RT_REG_SZ, nullptr, value, &size);
    return value;
}

DWORD ProgramSettings::Dword(const wchar_t* name) const {
    DWORD value = 0xFFFFFFFF, size = sizeof value;
    RegGetValueW(m_key, nullptr, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

std::wstring Env(const wchar_t* name) {
    wchar_t value[1024] = L"";
    GetEnvironmentVariableW(name, value, 1024);
    return value;
}

std::wstring FromUtf8(const std::string& utf8) {
    std::wstring text(utf8.size(), L'\0');
    text.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                                        &text[0], static_cast<int>(text.size()))));
    return text;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (f == nullptr) return false;
    const bool ok = fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return fclose(f) == 0 && ok;
}

bool WriteSilentClip(const std::wstring& path, uint32_t durationMs) {
    std::string bytes;
    uint32_t remainder = 0;
    for (uint64_t i = 0, frames = uint64_t(durationMs) * 44100 / 1152 / 1000 + 1; i < frames; ++i) {
        remainder += 144 * 96000 % 44100;
        const bool padded = remainder >= 44100;
        if (padded) remainder -= 44100;
        std::string frame(144 * 96000 / 44100 + (padded ? 1 : 0), '\0');
        frame[0] = '\xFF', frame[1] = '\xFB', frame[2] = padded ? '\x72' : '\x70', frame[3] = '\xC0';
        bytes += frame;
    }
    return WriteBytes(path, bytes);
}

std::wstring DocumentsFolder() {
    wchar_t path[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::wstring TodayText() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t text[16];
    swprintf(text, 16, L"%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
    return text;
}

bool HasLine(const RecorderApp& app, const std::wstring& line) {
    for (const std::wstring& l : app.LogLines())
        if (l == line) return true;
    return false;
}

bool WaitForLine(const RecorderApp& app, const std::wstring& line, DWORD timeoutMs) {
    return WaitFor([&] { return HasLine(app, line); }, timeoutMs);
}

HWND WaitForWindow(const RecorderApp& app, const std::function<bool(HWND)>& match, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND w : TopLevelWindowsOf(app.ProcessId()))
                if (w != app.MainWindow() && IsWindowVisible(w) && match(w)) return (found = w) != nullptr;
            return false;
        },
        timeoutMs);
    return found;
}

HWND WaitForSubmitDialog(const RecorderApp& app) {
    return WaitForWindow(app, [](HWND w) { return GetDlgItem(w, IDC_LOGIN_NAME) != nullptr; });
}

HWND WaitForProgressDialog(const RecorderApp& app, DWORD timeoutMs, DWORD pollMs) {
    for (const DWORD start = GetTickCount();; Sleep(pollMs)) {
        for (HWND w : TopLevelWindowsOf(app.ProcessId()))
            if (IsWindowVisible(w) && WindowText(w) == L"Publishing...") return w;
        if (GetTickCount() - start > timeoutMs) return nullptr;
    }
}

MessageBoxInfo WaitForBox(const RecorderApp& app, const std::wstring& caption, DWORD timeoutMs) {
    MessageBoxInfo box;
    box.window = WaitForWindow(
        app, [&](HWND w) { return WindowText(w) == caption && GetDlgItem(w, 0xFFFF) != nullptr; }, timeoutMs);
    if (box.window != nullptr) {
        box.caption = caption;
        box.text = WindowText(GetDlgItem(box.window, 0xFFFF));
    }
    return box;
}

void SetField(HWND dialog, int id, const std::wstring& text) {
    SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

bool OpenClip(RecorderApp& app, const std::wstring& clip) {
    app.ClickControl(IDC_OPEN);
    return app.ChooseFileInDialog(clip) && WaitForLine(app, L"File selected: " + clip);
}

bool PublishWithoutSpots(RecorderApp& app, int answer) {
    // Open logs the chosen file before it enables Publish: a click before the command has
    // returned lands on a disabled button and is lost.
    if (!app.WaitUntilIdle()) return false;
    // On a loaded machine a click can be lost before the X server has caught up: no box
    // comes, and the click is made again. A second click that does arrive finds the window
    // disabled by the box the first one opened.
    MessageBoxInfo question;
    for (int attempt = 0; attempt < 3 && question.window == nullptr; ++attempt) {
        app.ClickControl(IDC_PUBLISH);
        question = WaitForBox(app, L"Question", 5000);
    }
    if (question.window == nullptr) question = WaitForBox(app, L"Question");
    return question.window != nullptr &&
           question.text.rfind(L"You have not set an advertising spots in your clip.", 0) == 0 &&
           app.WaitUntilIdle() && app.AnswerMessageBox(question, answer);
}

bool LogIn(RecorderApp& app, HWND dialog, std::wstring* failure, DWORD timeoutMs) {
    // The handler disables the button first thing. A click can land before the X server has
    // caught up with a box just closed; while the button stays enabled with no box shown,
    // the click was lost and is made again.
    for (int attempt = 0; attempt < 3; ++attempt) {
        app.ClickWindow(GetDlgItem(dialog, IDC_LOGIN));
        if (WaitFor([&] { return !Enabled(dialog, IDC_LOGIN) || Enabled(dialog, IDC_EPISODE_TITLE); }, 3000)) break;
    }
    MessageBoxInfo box;
    WaitFor(
        [&] {
            if (Enabled(dialog, IDC_EPISODE_TITLE)) return true;
            box = WaitForBox(app, L"Login failed", 0);
            return box.window != nullptr;
        },
        timeoutMs);
    if (box.window == nullptr) return Enabled(dialog, IDC_EPISODE_TITLE);
    if (failure != nullptr) *failure = box.text;
    app.AnswerMessageBox(box, IDOK);
    // Back in the message loop: the handler has finished what follows the box.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
    return false;
}

bool FillEpisode(RecorderApp& app, HWND dialog, const std::wstring& title) {
    SetField(dialog, IDC_EPISODE_TITLE, title);
    if (SendMessageW(GetDlgItem(dialog, IDC_TERMS), BM_GETCHECK, 0, 0) != BST_CHECKED)
        app.ClickWindow(GetDlgItem(dialog, IDC_TERMS));
    return WaitFor([&] { return Enabled(dialog, IDOK); }, 5000);
}

}  // namespace e2e
