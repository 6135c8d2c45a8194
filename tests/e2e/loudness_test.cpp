// The "Loudness..." command on the real window: a recorded clip evened out in place with its
// spots, the opened file never touched, and the files that cannot be changed explained. The
// clips come from make_loudness_corpus.sh (QB_LOUDNESS_CORPUS).
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include "../../recorder_app/app/loudness/loudness_menu.h"
#include "../../recorder_app/res/resource.h"
#include "app_harness.h"
#include "sound_check.h"
#include "tone_player.h"

using namespace e2e;

namespace {

std::wstring Corpus(const std::wstring& name) { return CorpusPath("QB_LOUDNESS_CORPUS", name); }

size_t CountLines(const RecorderApp& app, const std::wstring& line) {
    const auto lines = app.LogLines();
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

size_t CountStarting(const RecorderApp& app, const std::wstring& prefix) {
    const auto lines = app.LogLines();
    return static_cast<size_t>(
        std::count_if(lines.begin(), lines.end(), [&](const std::wstring& line) { return line.rfind(prefix, 0) == 0; }));
}

bool WaitForLine(const RecorderApp& app, const std::wstring& line, size_t count = 1, DWORD timeoutMs = 20000) {
    return WaitFor([&] { return CountLines(app, line) >= count; }, timeoutMs);
}

std::wstring LastValue(const RecorderApp& app, const std::wstring& prefix) {
    const auto lines = app.LogLines();
    for (auto it = lines.rbegin(); it != lines.rend(); ++it)
        if (it->rfind(prefix, 0) == 0) return it->substr(prefix.size());
    return {};
}

HWND FindWindowOf(const RecorderApp& app, const std::wstring& caption) {
    for (HWND window : TopLevelWindowsOf(app.ProcessId()))
        if (IsWindowVisible(window) && WindowText(window) == caption) return window;
    return nullptr;
}

// Chooses "Loudness..." and waits until the dialog shows its finding.
HWND OpenLoudness(RecorderApp& app) {
    EXPECT_TRUE(app.WaitUntilIdle());
    PostMessageW(app.MainWindow(), WM_SYSCOMMAND, kLoudnessCommand, 0);
    HWND dialog = nullptr;
    WaitFor([&] { return (dialog = FindWindowOf(app, L"Loudness")) != nullptr; }, 10000);
    EXPECT_NE(dialog, nullptr);
    if (dialog) {
        EXPECT_TRUE(WaitFor([&] { return !WindowText(GetDlgItem(dialog, IDC_LOUD_NOTE)).empty(); }, 60000));
    }
    return dialog;
}

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

// What the dialog says, and the end of the log, for a failure's message.
std::string Situation(const RecorderApp& app, HWND dialog) {
    std::string text = "note: " + Narrow(WindowText(GetDlgItem(dialog, IDC_LOUD_NOTE))) + "\nlog:";
    const auto lines = app.LogLines();
    for (size_t i = lines.size() > 12 ? lines.size() - 12 : 0; i < lines.size(); ++i) text += "\n" + Narrow(lines[i]);
    return text;
}

bool EvenOutShown(HWND dialog) {
    HWND button = GetDlgItem(dialog, IDC_EVEN_OUT);
    return IsWindowVisible(button) && IsWindowEnabled(button);
}

// Clicks a button of the dialog until `done` holds: the X server may lose a click made
// right after the dialog changed.
template <class Done>
bool ClickUntil(RecorderApp& app, HWND dialog, int button, Done done) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (!app.WaitUntilIdle()) return false;
        app.ClickWindow(GetDlgItem(dialog, button));
        if (WaitFor(done, 5000)) return true;
    }
    return false;
}

void CloseDialog(RecorderApp& app, HWND dialog) {
    ASSERT_TRUE(ClickUntil(app, dialog, IDCANCEL, [&] { return !IsWindow(dialog); }));
}

// Presses "Even out" and waits until the evened-out clip is the current one.
bool EvenOut(RecorderApp& app, HWND dialog) {
    const size_t before = CountStarting(app, L"Evening out by ");
    return ClickUntil(app, dialog, IDC_EVEN_OUT, [&] { return CountStarting(app, L"Evening out by ") > before; }) &&
           WaitFor([&] { return !LastValue(app, L"Evened-out clip is: ").empty(); }, 60000);
}

void OpenClip(RecorderApp& app, const std::wstring& path, bool another) {
    ASSERT_TRUE(app.WaitUntilIdle());
    app.ClickControl(IDC_OPEN);
    if (another) {
        const MessageBoxInfo question = app.WaitForMessageBox();
        ASSERT_EQ(question.caption, L"Confirm action");
        ASSERT_TRUE(app.WaitUntilIdle() && app.AnswerMessageBox(question, IDOK));
    }
    ASSERT_TRUE(app.ChooseFileInDialog(path));
    ASSERT_TRUE(WaitForLine(app, L"File selected: " + path, 1));
}

TEST(Loudness, RecordedClipIsEvenedOutInPlaceKeepingItsSpots) {
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    // A loud tone: evening out makes it quieter.
    auto tone = std::make_unique<TonePlayer>(440.0, 0.7, 60);
    app.ClickControl(IDC_RECORD);
    ASSERT_TRUE(WaitForLine(app, L"Switching interface to the recording mode"));
    const std::wstring recorded = LastValue(app, L"Target file to write: ");
    ASSERT_TRUE(WaitFor([&] { return FileSize(recorded) >= 5000 * 12; }, 20000));
    ASSERT_TRUE(app.WaitUntilIdle());
    app.ClickControl(IDC_RECORD);
    ASSERT_TRUE(WaitForLine(app, L"Switching interface to the idle mode"));
    tone.reset();
    ASSERT_TRUE(app.WaitUntilIdle());
    app.ClickControl(IDC_ADVSPOT);  // the cursor stands at the clip's end
    ASSERT_TRUE(WaitFor([&] { return !LastValue(app, L"Trying to set adv spot in position ").empty(); }, 10000));
    const long long size = FileSize(recorded);
    const std::string recordedBytes = ReadBytes(recorded);

    HWND dialog = OpenLoudness(app);
    ASSERT_NE(dialog, nullptr);
    EXPECT_NE(WindowText(GetDlgItem(dialog, IDC_LOUD_INTEGRATED)).find(L"LUFS"), std::wstring::npos);
    EXPECT_NE(WindowText(GetDlgItem(dialog, IDC_LOUD_PEAK)).find(L"dBTP"), std::wstring::npos);
    ASSERT_TRUE(EvenOutShown(dialog)) << Situation(app, dialog);
    ASSERT_TRUE(EvenOut(app, dialog)) << Situation(app, dialog);
    const std::wstring evened = LastValue(app, L"Evened-out clip is: ");
    const std::wstring evenedPath = evened.substr(0, evened.find(L" ("));
    EXPECT_NE(evened.find(L" (-"), std::wstring::npos) << "a loud tone is made quieter";
    EXPECT_EQ(FileSize(evenedPath), size);
    EXPECT_TRUE(WaitFor([&] { return !FileExists(recorded); }, 10000));
    const DecodedClip decoded = DecodeClip(evenedPath);
    EXPECT_TRUE(decoded.decoded);
    EXPECT_EQ(decoded.complaints, "");

    // The spot is where it was: the button at the cursor now removes it.
    ASSERT_TRUE(app.WaitUntilIdle());
    app.ClickControl(IDC_ADVSPOT);
    EXPECT_TRUE(WaitFor([&] { return !LastValue(app, L"Removing adv spot from position ").empty(); }, 10000));

    // A second time there is nothing to change, and nothing is written.
    dialog = OpenLoudness(app);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_LOUD_NOTE)),
              L"Nothing to change: the episode is within 0.75 LU of the target.");
    EXPECT_FALSE(EvenOutShown(dialog));
    CloseDialog(app, dialog);
    EXPECT_EQ(CountStarting(app, L"Evening out by "), 1u);

    // Undo puts the spot back, then the recording as it was before the evening out.
    ASSERT_TRUE(app.WaitUntilIdle());
    app.PressKey('Z', VK_CONTROL);
    ASSERT_TRUE(WaitFor([&] { return !LastValue(app, L"Undo spot: ").empty(); }, 10000));
    EXPECT_EQ(LastValue(app, L"Undo spot: ").rfind(evenedPath + L", 1 spots, ", 0), 0u);
    app.PressKey('Z', VK_CONTROL);
    ASSERT_TRUE(WaitFor([&] { return !LastValue(app, L"Undo evening out: ").empty(); }, 10000));
    EXPECT_EQ(LastValue(app, L"Undo evening out: ").rfind(recorded + L", 1 spots, ", 0), 0u);
    EXPECT_TRUE(ReadBytes(recorded) == recordedBytes);
    EXPECT_FALSE(FileExists(evenedPath));
}

TEST(Loudness, OpenedFilesAreNeverTouchedAndThoseThatCannotChangeAreExplained) {
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    const std::wstring layer2 = JoinPath(app.AppDir(), L"layer2.mp3");
    ASSERT_TRUE(CopyFileW(Corpus(L"layer2.mp2").c_str(), layer2.c_str(), FALSE));
    OpenClip(app, layer2, false);
    HWND dialog = OpenLoudness(app);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_LOUD_NOTE)).rfind(L"This file is MPEG audio Layer I or II", 0), 0u);
    EXPECT_FALSE(EvenOutShown(dialog));
    CloseDialog(app, dialog);

    OpenClip(app, Corpus(L"held.mp3"), true);
    dialog = OpenLoudness(app);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_LOUD_NOTE)),
              L"Nothing to change: a louder episode would push the true peak above -1 dBTP.");
    EXPECT_FALSE(EvenOutShown(dialog));
    CloseDialog(app, dialog);

    const std::wstring speech = Corpus(L"speech.mp3");
    const std::string before = ReadBytes(speech);
    OpenClip(app, speech, true);
    dialog = OpenLoudness(app);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(EvenOutShown(dialog)) << Situation(app, dialog);
    ASSERT_TRUE(EvenOut(app, dialog)) << Situation(app, dialog);
    EXPECT_TRUE(ReadBytes(speech) == before);
    // The evened-out copy is a recording of ours: Record continues it without asking.
    ASSERT_TRUE(app.WaitUntilIdle());
    app.ClickControl(IDC_RECORD);
    ASSERT_TRUE(WaitFor([&] { return CountStarting(app, L"Switching interface to the recording mode") == 1; }, 20000));
    EXPECT_EQ(CountStarting(app, L"Can't write to imported file yet"), 0u);
    ASSERT_TRUE(app.WaitUntilIdle());
    app.ClickControl(IDC_RECORD);
    EXPECT_TRUE(WaitFor([&] { return CountStarting(app, L"New joined file is: ") == 1; }, 20000));
    EXPECT_TRUE(ReadBytes(speech) == before);

    // A clip that can no longer be read is refused as Open refuses one.
    const std::wstring damaged = JoinPath(app.AppDir(), L"damaged.mp3");
    ASSERT_TRUE(CopyFileW(speech.c_str(), damaged.c_str(), FALSE));
    OpenClip(app, damaged, true);
    // Its levels are measured from the file first; damaged only once they are.
    ASSERT_TRUE(WaitForLine(app, L"Level scan of " + damaged + L" done"));
    ASSERT_TRUE(app.WaitUntilIdle());
    HANDLE file = CreateFileW(damaged.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    PostMessageW(app.MainWindow(), WM_SYSCOMMAND, kLoudnessCommand, 0);
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = FindWindowOf(app, L"Message")) != nullptr; }, 20000));
    EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)).rfind(L"Sorry, but this file holds no audio", 0), 0u);
    ASSERT_TRUE(app.WaitUntilIdle() && app.AnswerMessageBox({box, L"", L""}, IDOK));
    EXPECT_TRUE(WaitFor([&] { return FindWindowOf(app, L"Loudness") == nullptr; }, 10000));
}

}  // namespace
