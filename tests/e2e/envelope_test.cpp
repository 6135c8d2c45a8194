// The clip's envelope on the real window: an opened clip with loud stretches and pauses is
// scanned and drawn column by column, a spot placed near a pause goes into it, Ctrl+Right
// walks to the next pause, the snap can be turned off, a stretch dragged on the time line is
// deleted and comes back with Undo, and after a restart the same file shows its picture at once.
// The clip is the playback corpus's speech44.mp3 (QB_PLAYBACK_CORPUS): loud 0-1.3 s, a pause
// to 1.9 s, a -20 dB sweep to 2.8 s, a pause to 3.3 s, loud to 4.4 s, a pause to 5.2 s, ...
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "../../recorder_app/app/editing/edit_menu.h"
#include "../../recorder_app/app/envelope/snap_menu.h"
#include "../../recorder_app/res/resource.h"
#include "../../recorder_app/settings/registry_values.h"
#include "../../recorder_app/settings/settings.h"
#include "app_harness.h"

using namespace e2e;

namespace {

int LoggedMs(const RecorderApp& app, const std::wstring& prefix) { return _wtoi(app.LastLogValue(prefix).c_str()); }

// Waits until `count` lines of the log start with `prefix`.
bool WaitForLogStart(const RecorderApp& app, const std::wstring& prefix, size_t count = 1) {
    return WaitFor([&] {
        const auto lines = app.LogLines();
        return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::wstring& line) {
                   return line.rfind(prefix, 0) == 0;
               })) >= count;
    }, 20000);
}

void OpenClip(RecorderApp& app, const std::wstring& clip) {
    ASSERT_TRUE(app.WaitUntilIdle());
    app.ClickControl(IDC_OPEN);
    ASSERT_TRUE(app.ChooseFileInDialog(clip));
    ASSERT_TRUE(app.WaitForLogLine(L"File selected: " + clip));
}

}  // namespace

TEST(Envelope, AnOpenedClipIsDrawnFromItsLevelsSpotsFallInPausesAndTheCacheKeepsThePicture) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring clip = JoinPath(temp, L"qb-envelope-" + std::to_wstring(GetCurrentProcessId()) + L".mp3");
    ASSERT_TRUE(CopyFileW(CorpusPath("QB_PLAYBACK_CORPUS", L"speech44.mp3").c_str(), clip.c_str(), FALSE));
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKeyPath, kSnapToPausesValue);  // the snap is on by default
    constexpr int kColumns = 40;  // 8 s at 200 ms a column
    std::vector<int> first;
    {
        RecorderApp app;
        ASSERT_TRUE(app.Start());
        OpenClip(app, clip);
        ASSERT_TRUE(app.WaitForLogLine(L"Level scan of " + clip + L" done"));
        ASSERT_TRUE(app.WaitUntilIdle());
        // The time line's own timer draws the whole strip every half second.
        ASSERT_TRUE(WaitFor([&] { return EnvelopeBarHeights(app.MainWindow(), kColumns)[2] > 0; }, 5000));
        first = EnvelopeBarHeights(app.MainWindow(), kColumns);
        const int full = kEnvelopeFullHeight;
        for (int loud : {1, 2, 3, 4, 5, 18, 19, 20}) EXPECT_GT(first[loud], full * 6 / 10) << loud;
        for (int quiet : {7, 8, 15, 23, 24, 32}) EXPECT_EQ(first[quiet], 0) << quiet;
        for (int sweep : {10, 11, 12}) EXPECT_LT(first[sweep], first[2]) << sweep;  // 14 dB lower

        // A spot asked for a second in goes to the middle of the pause at 1.3 to 1.9 s.
        app.PressKey(VK_RIGHT);
        ASSERT_TRUE(app.WaitForLogLine(L"Rewinf right pressed"));
        app.ClickControl(IDC_ADVSPOT);
        ASSERT_TRUE(app.WaitForLogLine(L"Trying to set adv spot in position 1000 ms"));
        ASSERT_TRUE(WaitFor([&] { return !app.LastLogValue(L"Adv spot moved from 1000 ms to ").empty(); }, 5000));
        const int spot = LoggedMs(app, L"Adv spot moved from 1000 ms to ");
        EXPECT_NEAR(spot, 1600, 60);
        // Ctrl+Right walks on to the next pause, 2.8 to 3.3 s.
        app.PressKey(VK_RIGHT, VK_CONTROL);
        ASSERT_TRUE(app.WaitForLogLine(L"Next pause requested"));
        ASSERT_TRUE(WaitFor([&] { return !app.LastLogValue(L"Cursor moved to the pause at ").empty(); }, 5000));
        const int pause = LoggedMs(app, L"Cursor moved to the pause at ");
        EXPECT_NEAR(pause, 3050, 60);
        // With the snap turned off a spot goes where the cursor is, and the choice is kept.
        app.PressKey('Z', VK_CONTROL);
        ASSERT_TRUE(WaitFor([&] { return !app.LastLogValue(L"Undo spot: ").empty(); }, 5000));
        const std::wstring undone = app.LastLogValue(L"Undo spot: ");
        const int cursor = _wtoi(undone.substr(undone.find(L"cursor at ") + 10).c_str());
        PostMessageW(app.MainWindow(), WM_SYSCOMMAND, kSnapCommand, 0);
        ASSERT_TRUE(app.WaitForLogLine(L"Snap spots to pauses: off"));
        app.ClickControl(IDC_ADVSPOT);
        ASSERT_TRUE(app.WaitForLogLine(L"Undo step: spot", 2));
        EXPECT_EQ(app.CountLogLines(L"Trying to set adv spot in position " + std::to_wstring(cursor) + L" ms"),
                  cursor == 1000 ? 2u : 1u);
        EXPECT_EQ(app.CountLogLines(L"Adv spot moved from 1000 ms to " + std::to_wstring(spot) +
                                    L" ms, the middle of a pause"), 1u);
        DWORD snap = 1, size = sizeof snap;
        EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, kSettingsKeyPath, kSnapToPausesValue, RRF_RT_REG_DWORD, nullptr, &snap, &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(snap, 0u);

        // The clip allows one spot: it moves to 5 s. Then the sweep and the pause after it,
        // 2.0 to 3.2 s, selected by dragging and deleted: the opened file stays as it is, and
        // the result is a clip of the program's own whose levels moved with the sound.
        app.PressKey('Z', VK_CONTROL);
        ASSERT_TRUE(WaitForLogStart(app, L"Undo spot: " + clip + L", 0 spots", 2));
        app.DragOnTimeLine(25, 25);
        app.ClickControl(IDC_ADVSPOT);
        ASSERT_TRUE(app.WaitForLogLine(L"Trying to set adv spot in position 5000 ms"));
        ASSERT_TRUE(app.WaitForLogLine(L"Undo step: spot", 3));
        app.DragOnTimeLine(10, 16);
        app.PressKey(VK_DELETE);
        ASSERT_TRUE(app.WaitForLogLine(L"Undo step: delete"));
        const std::wstring deleted = app.LastLogValue(L"Deleted 1 stretch(es) from " + clip + L" (");
        const int oldLength = _wtoi(deleted.c_str());
        const size_t into = deleted.find(L" into "), colon = deleted.find(L": ", into);
        const std::wstring cut = deleted.substr(into + 6, colon - into - 6);
        const int newLength = _wtoi(deleted.substr(colon + 2).c_str());
        EXPECT_NEAR(oldLength - newLength, 1200, 250);  // a column either way; a frame or two of silence stays
        const int removedMs = oldLength - newLength;
        const std::wstring spotsAfter = app.LastLogValue(L"Spots after the deletion: ");
        EXPECT_NEAR(_wtoi(spotsAfter.c_str()), 5000 - removedMs, 2) << spotsAfter;
        EXPECT_EQ(ReadBytes(clip), ReadBytes(CorpusPath("QB_PLAYBACK_CORPUS", L"speech44.mp3")));
        ASSERT_TRUE(app.WaitForLogLine(L"Level scan of " + cut + L" done"));
        ASSERT_TRUE(WaitFor([&] { return EnvelopeBarHeights(app.MainWindow(), kColumns)[14] > 0; }, 5000));
        const std::vector<int> after = EnvelopeBarHeights(app.MainWindow(), kColumns);
        for (int same : {2, 3, 4, 7}) EXPECT_EQ(after[same], first[same]) << same;
        for (int loud : {12, 13, 14}) EXPECT_GT(after[loud], kEnvelopeFullHeight * 6 / 10) << loud;  // was 3.3-4.4 s
        EXPECT_EQ(after[18], 0);  // was the pause at 4.4-5.2 s
        const std::string cutBytes = ReadBytes(cut);

        // Undo brings back the opened clip with its spots and the stretch selected; Redo the
        // same cut, not a new one.
        app.PressKey('Z', VK_CONTROL);
        ASSERT_TRUE(WaitForLogStart(app, L"Undo delete: " + clip + L", 1 spots"));
        ASSERT_TRUE(WaitForLogStart(app, L"Selection brought back: "));
        const std::wstring brought = app.LastLogValue(L"Selection brought back: ");
        EXPECT_NEAR(_wtoi(brought.c_str()), 2000, 200) << brought;
        EXPECT_NEAR(_wtoi(brought.substr(brought.find(L" to ") + 4).c_str()), 3200, 200) << brought;
        app.PressKey('Y', VK_CONTROL);
        ASSERT_TRUE(WaitForLogStart(app, L"Redo delete: " + cut + L", 1 spots"));
        EXPECT_EQ(ReadBytes(cut), cutBytes);
        EXPECT_EQ(app.CountLogLines(L"Undo step: delete"), 1u);

        // The pauses over 0.55 s (1.3-1.9 s, and the one that 4.4-5.2 s became) tightened
        // to 0.3 s: the dialog says how many before OK, and the whole is one step.
        PostMessageW(app.MainWindow(), WM_SYSCOMMAND, kTightenPausesCommand, 0);
        const MessageBoxInfo dialog = app.WaitForMessageBox();
        ASSERT_EQ(dialog.caption, L"Tighten pauses");
        SetWindowTextW(GetDlgItem(dialog.window, IDC_TIGHTEN_LONGER), L"0.55");
        SetWindowTextW(GetDlgItem(dialog.window, IDC_TIGHTEN_TO), L"0.3");
        ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(dialog.window, IDOK)) != FALSE; }, 10000));
        const std::wstring note = WindowText(GetDlgItem(dialog.window, IDC_TIGHTEN_NOTE));
        const int promised = _wtoi(note.c_str());
        EXPECT_GE(promised, 2) << note;
        app.ClickWindow(GetDlgItem(dialog.window, IDOK));
        ASSERT_TRUE(app.WaitForLogLine(L"Undo step: tightening pauses"));
        const std::wstring tightened = app.LastLogValue(L"Deleted ");
        EXPECT_EQ(_wtoi(tightened.c_str()), promised) << tightened;
        const int tightLength = _wtoi(tightened.substr(tightened.find(L": ", tightened.find(L" into ")) + 2).c_str());
        EXPECT_LT(tightLength, newLength - promised * 200) << tightened;  // each pause lost 0.25 s or more
        app.PressKey('Z', VK_CONTROL);
        ASSERT_TRUE(WaitForLogStart(app, L"Undo tightening pauses: " + cut + L", 1 spots"));
        EXPECT_EQ(ReadBytes(cut), cutBytes);
        PostMessageW(app.MainWindow(), WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(app.WaitForExit(), 0u);
    }
    // After a restart the unchanged file is drawn from what was kept, without a scan.
    RecorderApp again;
    ASSERT_TRUE(again.Start());
    OpenClip(again, clip);
    ASSERT_TRUE(again.WaitUntilIdle());
    ASSERT_TRUE(WaitFor([&] { return EnvelopeBarHeights(again.MainWindow(), kColumns) == first; }, 5000));
    EXPECT_EQ(again.CountLogLines(L"Level scan of " + clip + L" started"), 0u);
    PostMessageW(again.MainWindow(), WM_SYSCOMMAND, SC_CLOSE, 0);
    again.WaitForExit();
    DeleteFileW(clip.c_str());
    DeleteFileW((clip + L".ads").c_str());
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKeyPath, kSnapToPausesValue);
}
