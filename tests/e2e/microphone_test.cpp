// The microphone of the user's choice, with two recording devices: the test environment's
// null sink's monitor (the default) and that of a second null sink added here. The choice is
// made in the system menu with the keyboard, recorded from, and remembered at the next start;
// once the device is gone a recording is not taken from another microphone unless the user
// says so when told which one is missing, and the next start uses the default.
#include <gtest/gtest.h>
#include <algorithm>
#include <memory>
#include "../../recorder_app/res/resource.h"
#include "app_harness.h"
#include "sound_check.h"
#include "tone_player.h"

using namespace e2e;

namespace {

constexpr double kDefaultHz = 440.0, kSecondHz = 1200.0;
const std::vector<ToneClass> kTones{{0, kDefaultHz}, {1, kSecondHz}};
constexpr long long kBytesPerMs = 12;  // 96 kbit/s
// The second sink's monitor as the endpoint names it in full, longer than the capabilities'
// 31 characters, which cut it to "Monitor of Studio Microphone in".
const std::wstring kSecondName = L"Monitor of Studio Microphone in the Second Room";
const std::wstring kSecondOutput = L"Studio Microphone in the Second";
constexpr wchar_t kRecorderKey[] = L"Software\\QuillbankRecorder";

std::wstring Widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }
std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) narrow.push_back(c < 128 ? static_cast<char>(c) : '?');
    return narrow;
}

// Runs tests/e2e/pulse_sink.sh outside Wine and returns what it wrote, or "" on time-out.
std::string RunPulseSink(const std::wstring& arguments) {
    static int runs = 0;
    const std::wstring result =
        L"/tmp/qb-pulse-sink-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++runs);
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    std::wstring commandLine = L"start.exe /unix /bin/sh " + Widen(QB_PULSE_SINK_SCRIPT) + L" " + arguments + L" " + result;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(JoinPath(system, L"start.exe").c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process))
        return {};
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const std::wstring windowsResult = WindowsPath(result);
    if (!WaitFor([&] { return FileExists(windowsResult); }, 20000)) return {};
    std::string text = ReadBytes(windowsResult);
    DeleteFileW(windowsResult.c_str());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    return text;
}

// The second null sink, for as long as the test wants it.
class SecondSink {
public:
    SecondSink() : m_module(RunPulseSink(L"add")) {}
    ~SecondSink() { Remove(); }
    bool Added() const { return !m_module.empty() && m_module.find_first_not_of("0123456789") == std::string::npos; }
    const std::string& Answer() const { return m_module; }
    bool Remove() {
        if (!Added()) return false;
        const bool removed = RunPulseSink(L"remove " + Widen(m_module)) == "ok";
        m_module.clear();
        return removed;
    }

private:
    std::string m_module;
};

// The choice of the program's that this test makes, gone before and after it, since the
// test environment's other tests share the registry.
class RememberedDevice {
public:
    RememberedDevice() { Forget(); }
    ~RememberedDevice() { Forget(); }
    static std::wstring Value() {
        wchar_t value[512] = L"";
        DWORD bytes = sizeof value;
        if (RegGetValueW(HKEY_CURRENT_USER, kRecorderKey, L"RecordingDevice", RRF_RT_REG_SZ, nullptr, value, &bytes) !=
            ERROR_SUCCESS)
            return {};
        return value;
    }

private:
    static void Forget() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kRecorderKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
        RegDeleteValueW(key, L"RecordingDevice");
        RegCloseKey(key);
    }
};

// Where the submenu lists the recording device whose capabilities' name begins so: after
// "System default", the devices alphabetically (their full names sort as their cut ones
// here). -1 when there is none.
int MenuPositionOf(const std::wstring& start) {
    std::vector<std::wstring> names;
    for (UINT id = 0; id < waveInGetNumDevs(); ++id) {
        WAVEINCAPSW caps{};
        if (waveInGetDevCapsW(id, &caps, sizeof caps) == MMSYSERR_NOERROR && caps.szPname[0]) names.push_back(caps.szPname);
    }
    std::stable_sort(names.begin(), names.end(),
                     [](const std::wstring& a, const std::wstring& b) { return lstrcmpiW(a.c_str(), b.c_str()) < 0; });
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i].rfind(start, 0) == 0) return static_cast<int>(i) + 1;
    return -1;
}

int OutputDeviceStartingWith(const std::wstring& start) {
    for (UINT id = 0; id < waveOutGetNumDevs(); ++id) {
        WAVEOUTCAPSW caps{};
        if (waveOutGetDevCapsW(id, &caps, sizeof caps) == MMSYSERR_NOERROR && std::wstring(caps.szPname).rfind(start, 0) == 0)
            return static_cast<int>(id);
    }
    return -1;
}

void SendKeys(std::initializer_list<std::pair<WORD, bool>> keys) {
    std::vector<INPUT> events;
    for (const auto& key : keys) {
        INPUT event{};
        event.type = INPUT_KEYBOARD;
        event.ki.wVk = key.first;
        event.ki.dwFlags = key.second ? 0 : KEYEVENTF_KEYUP;
        events.push_back(event);
    }
    SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT));
}

void Press(WORD key) { SendKeys({{key, true}, {key, false}}); }

// Menus open as windows of the class "#32768" in the program's process.
int OpenMenus(const RecorderApp& app) {
    int open = 0;
    for (HWND window : TopLevelWindowsOf(app.ProcessId())) {
        wchar_t name[16] = L"";
        GetClassNameW(window, name, 16);
        if (lstrcmpW(name, L"#32768") == 0 && IsWindowVisible(window)) ++open;
    }
    return open;
}

// Alt+Space opens the system menu, I its "Microphone" submenu with the first entry ("System
// default") selected; the entry `below` lines further down is chosen with Enter.
bool ChooseInMicrophoneMenu(RecorderApp& app, int below) {
    SetForegroundWindow(app.MainWindow());
    WaitFor([&] { return GetForegroundWindow() == app.MainWindow(); }, 2000);
    SendKeys({{VK_MENU, true}, {VK_SPACE, true}, {VK_SPACE, false}, {VK_MENU, false}});
    if (!WaitFor([&] { return OpenMenus(app) == 1; }, 10000)) return false;
    Press('I');
    if (!WaitFor([&] { return OpenMenus(app) == 2; }, 10000)) return false;
    for (int i = 0; i < below; ++i) Press(VK_DOWN);
    Press(VK_RETURN);
    return WaitFor([&] { return OpenMenus(app) == 0; }, 10000);
}

size_t CountLines(const RecorderApp& app, const std::wstring& line) {
    const auto lines = app.LogLines();
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

bool WaitForLine(const RecorderApp& app, const std::wstring& line, size_t count = 1, DWORD timeoutMs = 20000) {
    return WaitFor([&] { return CountLines(app, line) >= count; }, timeoutMs);
}

// The line that follows the last one starting with prefix.
std::wstring LineAfter(const RecorderApp& app, const std::wstring& prefix) {
    const auto lines = app.LogLines();
    std::wstring after;
    for (size_t i = 0; i + 1 < lines.size(); ++i)
        if (lines[i].rfind(prefix, 0) == 0) after = lines[i + 1];
    return after;
}

std::string LogText(const RecorderApp& app) {
    std::string text;
    for (const std::wstring& line : app.LogLines()) text += Narrow(line) + "\n";
    return text;
}

// Records about 1.5 s while the default sink sounds one tone and the second sink another;
// returns the tones the clip holds.
std::vector<ToneRun> RecordBothTones(RecorderApp& app, int secondOutput) {
    TonePlayer onDefault(kDefaultHz, 0.5, 30), onSecond(kSecondHz, 0.5, 30, static_cast<UINT>(secondOutput));
    EXPECT_TRUE(onDefault.IsPlaying() && onSecond.IsPlaying());
    app.ClickControl(IDC_RECORD);
    if (!WaitForLine(app, L"Switching interface to the recording mode")) return {};
    const auto lines = app.LogLines();
    std::wstring path;
    for (const std::wstring& line : lines)
        if (line.rfind(L"Target file to write: ", 0) == 0) path = line.substr(22);
    if (!WaitFor([&] { return FileSize(path) >= 1500 * kBytesPerMs; }, 15000)) return {};
    app.ClickControl(IDC_RECORD);
    if (!WaitForLine(app, L"Switching interface to the idle mode")) return {};
    const DecodedClip clip = DecodeClip(path);
    EXPECT_TRUE(clip.decoded) << clip.complaints;
    return ToneRuns(clip.samples, kTones);
}

TEST(Microphone, TheChosenDeviceIsRecordedRememberedAndGivenUpOnceGone) {
    RememberedDevice remembered;
    SecondSink sink;
    ASSERT_TRUE(sink.Added()) << "pactl could not add the second sink: " << sink.Answer();
    const int secondInMenu = MenuPositionOf(kSecondName.substr(0, 31));
    const int secondOutput = OutputDeviceStartingWith(kSecondOutput);
    ASSERT_GT(secondInMenu, 0) << "the second sink's monitor is no recording device";
    ASSERT_GE(secondOutput, 0);
    const std::wstring deviceLine = L"Recording device: " + kSecondName;

    {
        RecorderApp app;
        ASSERT_TRUE(app.Start());
        ASSERT_TRUE(WaitForLine(app, L"Starting sound volume indicator listener..."));
        ASSERT_TRUE(ChooseInMicrophoneMenu(app, secondInMenu));
        ASSERT_TRUE(WaitForLine(app, L"Recording device chosen: " + kSecondName))
            << "chosen instead: " << Narrow(LineAfter(app, L"Starting sound volume indicator listener..."));
        EXPECT_EQ(RememberedDevice::Value(), kSecondName);
        // The meter listens to the new microphone at once.
        {
            TonePlayer tone(997.0, 0.8, 20, static_cast<UINT>(secondOutput));
            int highest = 0;
            EXPECT_TRUE(WaitFor([&] { return (highest = std::max(highest, LitMeterRows(app.MainWindow()))) >= 20; }, 15000))
                << "the meter does not follow the second device: highest bar " << highest << " rows";
        }
        const auto runs = RecordBothTones(app, secondOutput);
        ASSERT_EQ(runs.size(), 1u) << Describe(runs);
        EXPECT_EQ(runs[0].label, 1) << Describe(runs);
        EXPECT_EQ(LineAfter(app, L"Target file to write: "), deviceLine);
        app.PressKey(VK_ESCAPE);
        EXPECT_EQ(app.WaitForExit(), 0u);
    }
    {
        RecorderApp app;  // the next start records from the same device
        ASSERT_TRUE(app.Start());
        const auto runs = RecordBothTones(app, secondOutput);
        ASSERT_EQ(runs.size(), 1u) << Describe(runs);
        EXPECT_EQ(runs[0].label, 1) << Describe(runs);
        EXPECT_EQ(LineAfter(app, L"Target file to write: "), deviceLine);

        // Unplugged while the program runs: no recording from another microphone unasked. The
        // user learns which one is missing and where to choose another.
        ASSERT_TRUE(sink.Remove());
        const size_t starts = CountLines(app, L"Switching interface to the recording mode");
        const std::wstring question =
            L"The microphone \"" + kSecondName +
            L"\" is not available: it may have been unplugged.\n\nAnother microphone can be chosen in the Microphone "
            L"submenu of this window's system menu (Alt+Space).\n\nDo you want to record from the system default "
            L"microphone instead?";
        app.ClickControl(IDC_RECORD);
        MessageBoxInfo box = app.WaitForMessageBox(20000);
        ASSERT_NE(box.window, nullptr) << "no question";
        EXPECT_EQ(box.text, question) << LogText(app);
        EXPECT_EQ(box.caption, L"Microphone not available");
        EXPECT_EQ(GetWindow(box.window, GW_OWNER), app.MainWindow());
        ASSERT_TRUE(app.AnswerMessageBox(box, IDNO));
        EXPECT_TRUE(WaitForLine(app, L"!!! Recording device not present, asking to record from the system default: " +
                                         kSecondName));
        EXPECT_TRUE(WaitForLine(app, L"Operation cancelled by user"));
        EXPECT_EQ(CountLines(app, L"Switching interface to the recording mode"), starts);
        {
            // The meter follows the default meanwhile.
            TonePlayer tone(997.0, 0.8, 20);
            int highest = 0;
            EXPECT_TRUE(
                WaitFor([&] { return (highest = std::max(highest, LitMeterRows(app.MainWindow()))) >= 20; }, 15000))
                << "the meter stands still: highest bar " << highest << " rows\n" << LogText(app);
        }
        // Asked again at the next Record: this time from the default, for the rest of the run.
        app.ClickControl(IDC_RECORD);
        box = app.WaitForMessageBox(20000);
        ASSERT_NE(box.window, nullptr) << "no question the second time";
        EXPECT_EQ(box.text, question);
        ASSERT_TRUE(app.AnswerMessageBox(box, IDYES));
        ASSERT_TRUE(WaitForLine(app, L"Switching interface to the recording mode", starts + 1)) << LogText(app);
        const std::wstring device = LineAfter(app, L"Target file to write: ");
        EXPECT_EQ(device.rfind(L"Recording device: System default", 0), 0u) << Narrow(device);
        const size_t stops = CountLines(app, L"Switching interface to the idle mode");
        app.ClickControl(IDC_RECORD);
        EXPECT_TRUE(WaitForLine(app, L"Switching interface to the idle mode", stops + 1));
        app.PressKey(VK_ESCAPE);
        EXPECT_EQ(app.WaitForExit(), 0u);
    }
    {
        RecorderApp app;  // the device is gone: the default, without a question
        ASSERT_TRUE(app.Start());
        EXPECT_TRUE(WaitForLine(app, L"!!! Recording device not present, using the system default: " + kSecondName));
        TonePlayer onDefault(kDefaultHz, 0.5, 30);
        app.ClickControl(IDC_RECORD);
        ASSERT_TRUE(WaitForLine(app, L"Switching interface to the recording mode")) << "no recording; a box?";
        const std::wstring device = LineAfter(app, L"Target file to write: ");
        EXPECT_EQ(device.rfind(L"Recording device: System default", 0), 0u) << Narrow(device);
        app.ClickControl(IDC_RECORD);
        EXPECT_TRUE(WaitForLine(app, L"Switching interface to the idle mode"));
        app.PressKey(VK_ESCAPE);
        EXPECT_EQ(app.WaitForExit(), 0u);
    }
    EXPECT_EQ(RememberedDevice::Value(), kSecondName);  // for when it is back
}

}  // namespace
