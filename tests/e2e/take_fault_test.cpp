// Takes that cannot go on: on a disk that fills up, the first write that fails ends the take
// as Record would, the window goes back to idle and says why, and the file ends at its last
// whole frame; a take that continued a clip leaves both parts when the join has no room
// either. A microphone unplugged during a take ends it the same way once it has gone silent.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include "../../recorder_app/res/resource.h"
#include "app_harness.h"
#include "small_disk.h"
#include "sound_check.h"
#include "tone_player.h"

using namespace e2e;

namespace {

// 10.9 s of the recording format (12000 bytes a second); QB_FULL_DISK_KB sets another size.
constexpr int kDiskKb = 128;

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


TEST(FullDisk, TheTakeEndsAtTheFirstFailedWriteWithEveryWholeFrameKept) {
    const std::wstring folder = UnpublishedFolder();
    CreateDirectoryW(folder.substr(0, folder.find_last_of(L'\\')).c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    const char* size = std::getenv("QB_FULL_DISK_KB");
    const int diskKb = size ? std::atoi(size) : kDiskKb;
    SmallDisk disk(folder, diskKb);
    if (!disk.Mounted()) GTEST_SKIP() << "no small file system can be mounted here: " << disk.Problem();

    RecorderApp app;
    ASSERT_TRUE(app.Start());
    TonePlayer tone(440.0, 0.5, 60);
    const DWORD started = GetTickCount();
    const std::wstring clip = StartTake(app, 500);
    ASSERT_FALSE(clip.empty());

    const MessageBoxInfo box = app.WaitForMessageBox(diskKb * 1024 / 12 + 30000);
    const int waitedMs = static_cast<int>(GetTickCount() - started);
    ASSERT_NE(box.window, nullptr) << "no box after " << waitedMs << " ms";
    EXPECT_EQ(GetWindow(box.window, GW_OWNER), app.MainWindow());
    EXPECT_EQ(box.caption, L"Error");
    const std::wstring opening = L"The recording stopped at ";
    const std::wstring because = L" because the file could not be written:\n";
    ASSERT_EQ(box.text.rfind(opening, 0), 0u) << Narrow(box.text);
    ASSERT_NE(box.text.find(because), std::wstring::npos) << Narrow(box.text);
    const std::wstring reached = box.text.substr(opening.size(), box.text.find(because) - opening.size());
    const int reachedMs = 1000 * (60 * std::stoi(reached.substr(0, 2)) + std::stoi(reached.substr(3, 2)));
    // The system's own words for a full disk.
    wchar_t diskFull[512] = L"";
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_DISK_FULL, 0, diskFull, 512,
                   nullptr);
    std::wstring expected = diskFull;
    while (!expected.empty() && (expected.back() == L'\n' || expected.back() == L'\r' || expected.back() == L' '))
        expected.pop_back();
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(box.text.substr(box.text.find(because) + because.size(), expected.size()), expected) << Narrow(box.text);

    // The window is idle behind the box, and the log says what happened.
    EXPECT_EQ(CountLines(app, L"Switching interface to the idle mode"), 1u);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(app.MainWindow(), IDC_PLAY)));
    EXPECT_EQ(CountLines(app, L"!!! Recording stopped at " + reached + L": the file could not be written: "), 1u);
    tone.Stop();

    const DecodedClip decoded = DecodeClip(clip);
    ASSERT_TRUE(decoded.decoded) << decoded.complaints;
    EXPECT_EQ(decoded.complaints, "") << "the file does not end at a whole frame";
    const int heldMs = static_cast<int>(decoded.samples.size() * 1000 / 44100);
    std::cout << "full disk of " << diskKb << " KB: the file holds " << heldMs << " ms, the box says "
              << Narrow(reached) << ", the box came " << waitedMs << " ms after Record" << std::endl;
    EXPECT_GT(heldMs, diskKb * 1024 / 12 - 1500);
    EXPECT_NEAR(heldMs, reachedMs, 1500);
    if (const char* keep = std::getenv("QB_KEEP_FULL_DISK_TAKE"))
        CopyFileW(clip.c_str(), WindowsPath(std::wstring(keep, keep + std::strlen(keep))).c_str(), FALSE);

    ASSERT_TRUE(app.AnswerMessageBox(box, IDOK));
    app.PressKey(VK_ESCAPE);
    EXPECT_EQ(app.WaitForExit(), 0u);
}

// A take that continues a clip and fills the disk: the join cannot be written either, so
// both parts stay as they are, the user is told of both, and each decodes whole.
TEST(FullDisk, AContinuationThatFillsTheDiskKeepsBothParts) {
    const std::wstring folder = UnpublishedFolder();
    CreateDirectoryW(folder.substr(0, folder.find_last_of(L'\\')).c_str(), nullptr);
    CreateDirectoryW(folder.c_str(), nullptr);
    SmallDisk disk(folder, 96);
    if (!disk.Mounted()) GTEST_SKIP() << "no small file system can be mounted here: " << disk.Problem();

    RecorderApp app;
    ASSERT_TRUE(app.Start());
    TonePlayer tone(440.0, 0.5, 60);
    const std::wstring first = StartTake(app, 2000);
    ASSERT_FALSE(first.empty());
    app.ClickControl(IDC_RECORD);
    ASSERT_TRUE(WaitFor([&] { return CountLines(app, L"Switching interface to the idle mode") == 1; }, 20000));
    const std::string firstBytes = ReadBytes(first);
    ASSERT_TRUE(app.WaitUntilIdle());

    const std::wstring second = StartTake(app, 500);
    ASSERT_FALSE(second.empty());
    const MessageBoxInfo joinBox = app.WaitForMessageBox(40000);
    ASSERT_NE(joinBox.window, nullptr) << "no box";
    EXPECT_NE(joinBox.text.find(L"could not be joined"), std::wstring::npos) << Narrow(joinBox.text);
    ASSERT_TRUE(app.AnswerMessageBox(joinBox, IDOK));
    const MessageBoxInfo box = app.WaitForMessageBox();
    ASSERT_NE(box.window, nullptr) << "no box after the join's";
    EXPECT_NE(box.text.find(L" because the file could not be written:\n"), std::wstring::npos) << Narrow(box.text);
    ASSERT_TRUE(app.AnswerMessageBox(box, IDOK));
    tone.Stop();

    EXPECT_EQ(ReadBytes(first), firstBytes);
    const DecodedClip part = DecodeClip(second);
    ASSERT_TRUE(part.decoded) << part.complaints;
    EXPECT_EQ(part.complaints, "");
    EXPECT_GT(part.samples.size(), 44100u * 4);
    EXPECT_EQ(CountLines(app, L"New joined file is: "), 0u);
    // The join is offered again at the next start: its journal stays.
    const auto files = FilesIn(folder);
    EXPECT_TRUE(std::any_of(files.begin(), files.end(), [](const std::wstring& name) {
        return name.rfind(L"take-", 0) == 0 && name.find(L"-kept") != std::wstring::npos;
    })) << "no journal kept";

    // A take from the cursor on the full disk captures nothing: the clip it continued stays
    // as it was, and its empty part goes.
    app.ClickControl(IDC_RECORD);
    const MessageBoxInfo shortBox = app.WaitForMessageBox(40000);
    ASSERT_NE(shortBox.window, nullptr) << "no box";
    EXPECT_NE(shortBox.text.find(L"Less than a second was recorded, so the clip was left as it was"), std::wstring::npos)
        << Narrow(shortBox.text);
    ASSERT_TRUE(app.AnswerMessageBox(shortBox, IDOK));
    EXPECT_EQ(ReadBytes(first), firstBytes);
    EXPECT_EQ(CountLines(app, L"New joined file is: "), 0u);
    EXPECT_FALSE(FileExists(LastValue(app, L"Target file to write: ")));
    app.PressKey(VK_ESCAPE);
    EXPECT_EQ(app.WaitForExit(), 0u);
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
