// A take that the recorder does not live to end, killed or crashed, is offered back at the
// next start: Yes finishes it into one clip that decodes whole, holds all but a moment of
// what was captured and keeps its spots; No keeps its files as they are. Either way the
// journal is gone, unless the restore failed for a reason that may pass; a damaged journal
// is only reported in the log.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <memory>
#include "../../recorder_app/app/crash/crash_test_trigger.h"
#include "../../recorder_app/res/resource.h"
#include "app_harness.h"
#include "sound_check.h"
#include "tone_player.h"

using namespace e2e;

namespace {

constexpr double kFirstHz = 440.0, kSecondHz = 1200.0;
const std::vector<ToneClass> kTakeTones{{0, kFirstHz}, {1, kSecondHz}};
constexpr long long kBytesPerMs = 12;  // 96 kbit/s
// What a take may lose when the process ends under it: the blocks still in the capture
// device and the encoder.
constexpr int kMostLossMs = 300;
// 1105 samples: the encoder's delay and the decoder's, silence at the start of every take.
constexpr int kEncoderDelayMs = 25;

std::string Narrow(const std::vector<std::wstring>& lines) {
    std::string text;
    for (const std::wstring& line : lines) text += std::string(line.begin(), line.end()) + "\n";
    return text;
}

std::vector<std::wstring> Journals() {
    std::vector<std::wstring> journals;
    for (const std::wstring& name : FilesIn(UnpublishedFolder()))
        if (name.rfind(L"take-", 0) == 0 && name.find(L".journal") != std::wstring::npos) journals.push_back(name);
    return journals;
}

void RemoveJournals() {
    for (const std::wstring& name : Journals()) DeleteFileW(JoinPath(UnpublishedFolder(), name).c_str());
}

// Presses Record with a tone sounding and waits for the recording mode; returns the new
// file's path and the tick at which the mode was seen.
std::wstring PressRecord(RecorderApp& app, DWORD& startedTick) {
    const std::wstring line = L"Switching interface to the recording mode";
    const size_t before = app.CountLogLines(line);
    app.WaitUntilIdle();
    app.ClickControl(IDC_RECORD);
    if (!app.WaitForLogLine(line, before + 1)) return {};
    startedTick = GetTickCount();
    return app.LastLogValue(L"Target file to write: ");
}

bool WaitForBytes(const std::wstring& path, long long ms) {
    return WaitFor([&] { return FileSize(path) >= ms * kBytesPerMs; }, static_cast<DWORD>(ms) + 10000);
}

// Presses Record again and waits until the take has ended, journal and all; stoppedTick is
// when the stop was seen to begin.
bool StopRecording(RecorderApp& app, DWORD& stoppedTick) {
    const size_t stops = app.CountLogLines(L"Recording stopped");
    const size_t ends = app.CountLogLines(L"Take journal removed");
    app.WaitUntilIdle();
    app.ClickControl(IDC_RECORD);
    if (!app.WaitForLogLine(L"Recording stopped", stops + 1)) return false;
    stoppedTick = GetTickCount();
    return app.WaitForLogLine(L"Take journal removed", ends + 1);
}

// Presses Record and returns the tick at which the take's new file was first seen, which is
// just before its capture device starts: nothing of the take is older than that.
DWORD PressRecordSeeingTheFile(RecorderApp& app) {
    const auto before = FilesIn(UnpublishedFolder());
    app.WaitUntilIdle();
    app.ClickControl(IDC_RECORD);
    DWORD seen = 0;
    WaitFor(
        [&] {
            for (const std::wstring& name : FilesIn(UnpublishedFolder()))
                if (std::find(before.begin(), before.end(), name) == before.end() && name.size() > 4 &&
                    name.compare(name.size() - 4, 4, L".mp3") == 0)
                    return (seen = GetTickCount()) != 0;
            return false;
        },
        20000);
    return seen;
}

bool PressKeyLogged(RecorderApp& app, WORD key, const std::wstring& line, int times) {
    const size_t before = app.CountLogLines(line);
    for (int i = 0; i < times; ++i) app.PressKey(key);
    return app.WaitForLogLine(line, before + times);
}

// Ends the process as the task manager would: no stop, no join, nothing flushed.
bool Kill(const RecorderApp& app) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, app.ProcessId());
    if (process == nullptr) return false;
    const bool killed = TerminateProcess(process, 1) && WaitForSingleObject(process, 10000) == WAIT_OBJECT_0;
    CloseHandle(process);
    return killed;
}

std::wstring TempPath(const std::wstring& name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return JoinPath(temp, std::to_wstring(GetCurrentProcessId()) + L"-" + name);
}

// A journal as the recorder writes it, for a take that continued `earlier` at `cutMs`.
void WriteJournal(const std::wstring& path, const std::wstring& part, const std::wstring& earlier, uint32_t cutMs) {
    const std::wstring text = L"Quillbank recorder take journal 1\npart=" + part + L"\nearlier=" + earlier +
                              L"\ncut=" + std::to_wstring(cutMs) + L"\nspots=\nend\n";
    if (FILE* f = _wfopen(path.c_str(), L"wb")) {
        fwrite(text.data(), sizeof(wchar_t), text.size(), f);
        fclose(f);
    }
}

class Recovery : public ::testing::Test {
protected:
    // Journals of an earlier failed test would ask here, and journals left by one here
    // would ask in the next test.
    void SetUp() override { RemoveJournals(); }
    void TearDown() override { RemoveJournals(); }
};

TEST_F(Recovery, KilledTakeIsRestoredIntoOneWholeClipWithItsSpots) {
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    DWORD started = 0, stopped = 0;
    std::wstring first;
    {
        TonePlayer tone(kFirstHz, 0.5, 30);
        first = PressRecord(app, started);
        ASSERT_FALSE(first.empty());
        ASSERT_TRUE(WaitForBytes(first, 5000));
        ASSERT_TRUE(StopRecording(app, stopped));
    }
    const int firstMs = static_cast<int>(FileSize(first) / kBytesPerMs);

    // A spot three seconds back, then the cursor one second forward, two seconds before the end.
    ASSERT_TRUE(PressKeyLogged(app, VK_LEFT, L"Rewind left pressed", 3));
    app.WaitUntilIdle();
    app.ClickControl(IDC_ADVSPOT);
    const std::wstring placing = L"Trying to set adv spot in position ";
    ASSERT_TRUE(WaitFor([&] { return !app.LastLogValue(placing).empty(); }, 10000));
    const uint32_t spotMs = static_cast<uint32_t>(std::stoul(app.LastLogValue(placing)));
    ASSERT_TRUE(PressKeyLogged(app, VK_RIGHT, L"Rewinf right pressed", 1));
    const int cursorMs = firstMs - 2000;

    std::wstring part;
    DWORD takeStart = 0, killed = 0;
    {
        TonePlayer tone(kSecondHz, 0.5, 60);
        const size_t takes = app.CountLogLines(L"Switching interface to the recording mode");
        takeStart = PressRecordSeeingTheFile(app);
        ASSERT_NE(takeStart, 0u) << "no new recording";
        ASSERT_TRUE(app.WaitForLogLine(L"Switching interface to the recording mode", takes + 1));
        part = app.LastLogValue(L"Target file to write: ");
        EXPECT_EQ(Journals().size(), 1u) << "no journal beside the take";
        // Eight seconds into the take, whatever block the recorder is at.
        WaitFor([&] { return GetTickCount() - takeStart >= 8000; }, 20000);
        killed = GetTickCount();
        ASSERT_TRUE(Kill(app));
    }
    ASSERT_TRUE(FileExists(first));
    ASSERT_TRUE(FileExists(part));
    ASSERT_EQ(Journals().size(), 1u);
    const std::string firstBytes = ReadBytes(first);
    // What reached the disk: its last frame may be torn, the others decode. The encoder's
    // delay leads it, silence that was never captured.
    const int partMs = static_cast<int>(DecodeClip(part).samples.size() * 1000 / 44100) - kEncoderDelayMs;

    RecorderApp again;
    ASSERT_TRUE(again.Start());
    const MessageBoxInfo question = again.WaitForMessageBox();
    ASSERT_NE(question.window, nullptr) << "no question about the interrupted recording";
    EXPECT_EQ(question.caption, L"Interrupted recording");
    EXPECT_NE(question.text.find(L"Restore it?"), std::wstring::npos);
    EXPECT_EQ(GetWindow(question.window, GW_OWNER), again.MainWindow());
    ASSERT_TRUE(again.WaitUntilIdle());
    ASSERT_TRUE(again.AnswerMessageBox(question, IDYES));
    ASSERT_TRUE(WaitFor([&] { return !again.LastLogValue(L"Restored recording: ").empty(); }, 20000));
    const std::wstring restored = again.LastLogValue(L"Restored recording: ");
    ASSERT_TRUE(again.WaitForLogLine(L"Journal of the interrupted recording removed", 1));
    EXPECT_TRUE(Journals().empty()) << Narrow(Journals());
    // The sources go to the history just after that line.
    EXPECT_TRUE(WaitFor([&] { return !FileExists(first) && !FileExists(part); }, 5000));

    const DecodedClip clip = DecodeClip(restored);
    ASSERT_TRUE(clip.decoded);
    EXPECT_EQ(clip.complaints, "");
    const int restoredMs = static_cast<int>(clip.samples.size() * 1000 / 44100);
    const auto runs = ToneRuns(clip.samples, kTakeTones);
    ASSERT_EQ(runs.size(), 2u) << Describe(runs);
    EXPECT_EQ(runs[0].label, 0);
    EXPECT_NEAR(runs[0].endMs, cursorMs, 100) << Describe(runs);
    EXPECT_EQ(runs[1].label, 1);
    // All that reached the disk is in the restored clip, joined a frame or less before the cursor.
    EXPECT_NEAR(restoredMs, cursorMs + partMs + kEncoderDelayMs, 100);
    // What the kill lost: the take's time from its file's creation, before its device started,
    // to the kill, less what it holds.
    const int lossMs = static_cast<int>(killed - takeStart) - partMs;
    std::cout << "recovery.loss_ms: " << lossMs << " (" << static_cast<int>(killed - takeStart)
              << " ms from the take's start to the kill, " << partMs << " ms of it restored)\n";
    RecordProperty("loss_ms", lossMs);
    EXPECT_LE(lossMs, kMostLossMs);
    EXPECT_GE(partMs, 7000);

    // The spot is back: Save writes it beside the copy.
    const std::wstring saved = TempPath(L"restored.mp3");
    ASSERT_TRUE(again.WaitUntilIdle());
    again.ClickControl(IDC_SAVE);
    ASSERT_TRUE(again.ChooseFileInDialog(saved));
    ASSERT_TRUE(WaitFor([&] { return FileSize(saved + L".ads") == 4; }, 10000));
    const std::string side = ReadBytes(saved + L".ads");
    uint32_t savedSpot = 0;
    for (int i = 3; i >= 0; --i) savedSpot = savedSpot << 8 | static_cast<unsigned char>(side[i]);
    EXPECT_EQ(savedSpot, spotMs);
    DeleteFileW(saved.c_str());
    DeleteFileW((saved + L".ads").c_str());

    // Undo brings back the clip the take continued, whole, with its spot and the cursor at
    // the cut; Redo the restored clip.
    again.PressKey('Z', VK_CONTROL);
    ASSERT_TRUE(WaitFor([&] { return !again.LastLogValue(L"Undo restore: ").empty(); }, 10000));
    const std::wstring undone = again.LastLogValue(L"Undo restore: ");
    EXPECT_EQ(undone.rfind(first + L", 1 spots, cursor at ", 0), 0u) << Narrow(std::vector<std::wstring>{undone});
    EXPECT_NEAR(std::stoi(undone.substr(undone.rfind(L" at ") + 4)), cursorMs, 100);
    EXPECT_TRUE(ReadBytes(first) == firstBytes);
    EXPECT_FALSE(FileExists(restored));
    again.PressKey('Y', VK_CONTROL);
    ASSERT_TRUE(WaitFor([&] { return !again.LastLogValue(L"Redo restore: ").empty(); }, 10000));
    EXPECT_TRUE(FileExists(restored));
    EXPECT_FALSE(FileExists(first));

    // It is a recording of ours like any other: Record continues it at its end and joins.
    {
        TonePlayer tone(kFirstHz, 0.5, 30);
        const std::wstring more = PressRecord(again, started);
        ASSERT_FALSE(more.empty());
        ASSERT_TRUE(WaitForBytes(more, 1000));
        ASSERT_TRUE(StopRecording(again, stopped));
    }
    const std::wstring joined = again.LastLogValue(L"New joined file is: ");
    ASSERT_TRUE(FileExists(joined));
    EXPECT_FALSE(FileExists(restored));
    EXPECT_GE(FileSize(joined), FileSize(restored) + 900 * kBytesPerMs);
    EXPECT_TRUE(Journals().empty());
}

TEST_F(Recovery, CrashedTakeIsOfferedAndNoKeepsItsFilesWhileADamagedJournalIsDropped) {
    RecorderApp app;
    ASSERT_TRUE(app.Start());
    std::wstring part;
    {
        TonePlayer tone(kFirstHz, 0.5, 30);
        DWORD started = 0;
        part = PressRecord(app, started);
        ASSERT_FALSE(part.empty());
        ASSERT_TRUE(WaitForBytes(part, 2000));
        PostMessageW(app.MainWindow(), RegisterWindowMessageW(kCrashTestMessageName), kCrashTestMagic,
                     kCrashOnMainThread);
        const MessageBoxInfo crash = app.WaitForMessageBox();
        ASSERT_EQ(crash.caption, L"Application crashed");
        ASSERT_TRUE(app.AnswerMessageBox(crash, IDNO));
        EXPECT_EQ(app.WaitForExit(), 0u);
    }
    ASSERT_GT(FileSize(part), 2000 * kBytesPerMs);
    ASSERT_EQ(Journals().size(), 1u);

    // A restore that fails while another program holds the part (its torn end cannot be cut)
    // keeps the journal, so that the next start offers the take again.
    const std::string head = ReadBytes(part).substr(0, 100);
    if (FILE* f = _wfopen(part.c_str(), L"ab")) {
        fwrite(head.data(), 1, head.size(), f);  // the start of a frame that never ended
        fclose(f);
    }
    const long long partSize = FileSize(part);
    {
        HANDLE held = CreateFileW(part.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        RecorderApp failing;
        ASSERT_TRUE(failing.Start());
        const MessageBoxInfo question = failing.WaitForMessageBox();
        ASSERT_EQ(question.caption, L"Interrupted recording");
        ASSERT_TRUE(failing.WaitUntilIdle());
        ASSERT_TRUE(failing.AnswerMessageBox(question, IDYES));
        const MessageBoxInfo error = failing.WaitForMessageBox();
        EXPECT_NE(error.text.find(L"offered again at the next start"), std::wstring::npos)
            << std::string(error.text.begin(), error.text.end());
        ASSERT_TRUE(failing.WaitUntilIdle());
        ASSERT_TRUE(failing.AnswerMessageBox(error, IDOK));
        ASSERT_TRUE(failing.WaitForLogLine(L"Journal of the interrupted recording kept for the next start", 1));
        CloseHandle(held);
        failing.PressKey(VK_ESCAPE);
        EXPECT_EQ(failing.WaitForExit(), 0u);
    }
    EXPECT_EQ(Journals().size(), 1u);
    EXPECT_EQ(FileSize(part), partSize);

    // A journal that is not one, as a stray edit or a failing disk would leave it.
    const std::wstring damaged = JoinPath(UnpublishedFolder(), L"take-1-1.journal");
    if (FILE* f = _wfopen(damaged.c_str(), L"wb")) {
        fputs("not a journal", f);
        fclose(f);
    }

    RecorderApp again;
    ASSERT_TRUE(again.Start());
    const MessageBoxInfo question = again.WaitForMessageBox();
    ASSERT_NE(question.window, nullptr) << "no question about the interrupted recording";
    EXPECT_EQ(question.caption, L"Interrupted recording");
    ASSERT_TRUE(again.WaitUntilIdle());
    ASSERT_TRUE(again.AnswerMessageBox(question, IDNO));
    const MessageBoxInfo where = again.WaitForMessageBox();
    ASSERT_NE(where.window, nullptr);
    EXPECT_NE(where.text.find(part), std::wstring::npos) << std::string(where.text.begin(), where.text.end());
    ASSERT_TRUE(again.WaitUntilIdle());
    ASSERT_TRUE(again.AnswerMessageBox(where, IDOK));
    ASSERT_TRUE(again.WaitForLogLine(L"Journal of the interrupted recording removed", 1));

    EXPECT_TRUE(Journals().empty()) << Narrow(Journals());
    EXPECT_EQ(FileSize(part), partSize);
    EXPECT_TRUE(again.LastLogValue(L"Restored recording: ").empty());
    const auto lines = again.LogLines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::wstring& line) {
        return line.rfind(L"!!! ", 0) == 0 && line.find(damaged) != std::wstring::npos;
    }));
    // Nothing was loaded: the window is as at any start.
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(again.MainWindow(), IDC_SAVE)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(again.MainWindow(), IDC_RECORD)));
    DeleteFileW(part.c_str());
}

}  // namespace

namespace {

// The journal of a take that another instance is recording now is that instance's own: a
// second start must neither ask about it nor touch its files.
TEST_F(Recovery, AStartBesideARunningTakeLeavesItsJournalAlone) {
    RecorderApp recording;
    ASSERT_TRUE(recording.Start());
    TonePlayer tone(kFirstHz, 0.5, 30);
    DWORD started = 0;
    const std::wstring part = PressRecord(recording, started);
    ASSERT_FALSE(part.empty());
    ASSERT_TRUE(WaitForBytes(part, 1000));
    const auto journals = Journals();
    ASSERT_EQ(journals.size(), 1u);

    RecorderApp second;
    ASSERT_TRUE(second.Start());
    ASSERT_TRUE(second.WaitForLogLine(
        L"Another instance of the program is running: interrupted recordings are not looked for", 1));
    ASSERT_TRUE(second.WaitUntilIdle());
    for (HWND window : TopLevelWindowsOf(second.ProcessId()))
        EXPECT_FALSE(window != second.MainWindow() && IsWindowVisible(window)) << Narrow({WindowText(window)});
    EXPECT_EQ(Journals(), journals);
    second.PressKey(VK_ESCAPE);
    EXPECT_EQ(second.WaitForExit(), 0u);

    // The take goes on and ends as usual (the log is the second start's now: both write it).
    ASSERT_TRUE(WaitForBytes(part, 2000));
    recording.WaitUntilIdle();
    recording.ClickControl(IDC_RECORD);
    EXPECT_TRUE(WaitFor([] { return Journals().empty(); }, 20000)) << Narrow(Journals());
    EXPECT_GE(FileSize(part), 2000 * kBytesPerMs);
}

// Two takes left to restore (a join that failed and a later crash leave them so) are restored
// one per start: a second restore would chain its Undo step from the journal's clip, not from
// the first restored clip, which closing the program would then throw away.
TEST_F(Recovery, TwoInterruptedTakesAreRestoredOnePerStartAndNeitherIsThrownAway) {
    std::wstring clip;
    {
        RecorderApp app;
        ASSERT_TRUE(app.Start());
        TonePlayer tone(kFirstHz, 0.5, 30);
        DWORD started = 0, stopped = 0;
        clip = PressRecord(app, started);
        ASSERT_FALSE(clip.empty());
        ASSERT_TRUE(WaitForBytes(clip, 3000));
        ASSERT_TRUE(StopRecording(app, stopped));
        app.PressKey(VK_ESCAPE);
        EXPECT_EQ(app.WaitForExit(), 0u);
    }
    ASSERT_TRUE(FileExists(clip));
    const std::wstring folder = UnpublishedFolder();
    const std::wstring parts[2] = {JoinPath(folder, L"interrupted-1.mp3"), JoinPath(folder, L"interrupted-2.mp3")};
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(CopyFileW(clip.c_str(), parts[i].c_str(), FALSE));
        WriteJournal(JoinPath(folder, L"take-" + std::to_wstring(i + 1) + L"-1.journal"), parts[i], clip, 1000 * (i + 1));
    }

    std::wstring restored[2];
    for (int start = 0; start < 2; ++start) {
        RecorderApp app;
        ASSERT_TRUE(app.Start());
        const MessageBoxInfo question = app.WaitForMessageBox();
        ASSERT_NE(question.window, nullptr) << "no question at start " << start;
        EXPECT_EQ(question.caption, L"Interrupted recording");
        ASSERT_TRUE(app.WaitUntilIdle());
        ASSERT_TRUE(app.AnswerMessageBox(question, IDYES));
        ASSERT_TRUE(WaitFor([&] { return !app.LastLogValue(L"Restored recording: ").empty(); }, 20000));
        restored[start] = app.LastLogValue(L"Restored recording: ");
        ASSERT_TRUE(app.WaitForLogLine(L"Journal of the interrupted recording removed", 1));
        EXPECT_EQ(app.LastLogValue(L"Another interrupted recording is kept for the next start: ").empty(), start == 1);
        EXPECT_EQ(Journals().size(), start == 0 ? 1u : 0u) << Narrow(Journals());
        ASSERT_TRUE(app.WaitUntilIdle());
        app.PressKey(VK_ESCAPE);
        EXPECT_EQ(app.WaitForExit(), 0u);
        // Closing clears the history: the restored clip is the current one and stays.
        EXPECT_TRUE(FileExists(restored[start]));
    }
    // The first restored clip, which no step of the second start refers to, is still there.
    EXPECT_NE(restored[0], restored[1]);
    EXPECT_TRUE(FileExists(restored[0]));
    for (const std::wstring& path : restored) DeleteFileW(path.c_str());
}

}  // namespace
