// A microphone unplugged during a take: the take ends as Record would end it once the
// device has gone silent, the window says so, what came before is kept, and the next take
// records from the device that is there again.
#include <gtest/gtest.h>
#include <algorithm>
#include <iostream>
#include "../../recorder_app/res/resource.h"
#include "app_harness.h"
#include "sound_check.h"
#include "tone_player.h"

using namespace e2e;

namespace {

// The test environment's recording source comes and goes with its null sink.
class Microphone {
public:
    Microphone() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_work = JoinPath(temp, L"qb-microphone-" + std::to_wstring(GetCurrentProcessId()));
        CreateDirectoryW(m_work.c_str(), nullptr);
    }
    ~Microphone() {
        Plug();
        RemoveDirectoryW(m_work.c_str());
    }
    bool Unplug() { return Run(L"unplug"); }
    bool Plug() { return Run(L"plug"); }

private:
    bool Run(const wchar_t* command) {
        std::string result;
        return RunUnixScript(L"microphone.sh", m_work, command, result, 30000) &&
               result.find("ok") != std::string::npos;
    }
    std::wstring m_work;
};

size_t CountLines(const RecorderApp& app, const std::wstring& prefix) {
    const auto lines = app.LogLines();
    return static_cast<size_t>(std::count_if(lines.begin(), lines.end(),
                                             [&](const std::wstring& line) { return line.rfind(prefix, 0) == 0; }));
}

std::wstring LastValue(const RecorderApp& app, const std::wstring& prefix) {
    const auto lines = app.LogLines();
    for (auto it = lines.rbegin(); it != lines.rend(); ++it)
        if (it->rfind(prefix, 0) == 0) return it->substr(prefix.size());
    return {};
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Presses Record and waits until the new file holds at least minMs of sound.
std::wstring StartTake(RecorderApp& app, int minMs) {
    const size_t started = CountLines(app, L"Switching interface to the recording mode");
    app.ClickControl(IDC_RECORD);
    if (!WaitFor([&] { return CountLines(app, L"Switching interface to the recording mode") > started; }, 20000))
        return {};
    const std::wstring path = LastValue(app, L"Target file to write: ");
    if (!WaitFor([&] { return FileSize(path) >= minMs * 12LL; }, minMs + 10000)) return {};
    return path;
}

TEST(DeviceGone, AnUnpluggedMicrophoneEndsTheTakeAndKeepsWhatCameBefore) {
    Microphone microphone;
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    TonePlayer tone(440.0, 0.5, 60);
    const std::wstring first = StartTake(app, 2000);
    ASSERT_FALSE(first.empty());
    ASSERT_TRUE(microphone.Unplug());
    const long long sizeAtUnplug = FileSize(first);

    const MessageBoxInfo box = app.WaitForMessageBox(30000);
    ASSERT_NE(box.window, nullptr) << "no box";
    std::cout << Narrow(box.text) << std::endl;
    EXPECT_EQ(GetWindow(box.window, GW_OWNER), app.MainWindow());
    EXPECT_EQ(box.caption, L"Error");
    EXPECT_EQ(box.text.rfind(L"The recording stopped at ", 0), 0u) << Narrow(box.text);
    EXPECT_NE(box.text.find(L" because the recording device is no longer available:\n"), std::wstring::npos)
        << Narrow(box.text);
    EXPECT_EQ(CountLines(app, L"Switching interface to the idle mode"), 1u);
    EXPECT_EQ(CountLines(app, L"!!! Recording stopped at "), 1u);
    EXPECT_EQ(CountLines(app, L"!!! Audio recorder failed to stop cleanly"), 0u);
    ASSERT_TRUE(app.AnswerMessageBox(box, IDOK));

    // Everything up to the unplugging is in a whole file.
    const DecodedClip clip = DecodeClip(first);
    ASSERT_TRUE(clip.decoded) << clip.complaints;
    EXPECT_EQ(clip.complaints, "");
    EXPECT_GE(static_cast<long long>(clip.samples.size()) * 1000 / 44100, sizeAtUnplug / 12 - 200);

    // With the microphone back, the next take records and is joined to the first.
    ASSERT_TRUE(microphone.Plug());
    const std::wstring second = StartTake(app, 1500);
    ASSERT_FALSE(second.empty()) << "the recorder did not start again";
    const size_t idle = CountLines(app, L"Switching interface to the idle mode");
    app.ClickControl(IDC_RECORD);
    ASSERT_TRUE(WaitFor([&] { return CountLines(app, L"Switching interface to the idle mode") > idle; }, 20000));
    EXPECT_TRUE(FileExists(LastValue(app, L"New joined file is: ")));
}

}  // namespace
