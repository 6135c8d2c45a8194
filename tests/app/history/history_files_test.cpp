// The history's folder: the order of an Undo's two moves when the second never happens, and
// the sweep after a crash, which takes the folders of gone instances only.
#include <gtest/gtest.h>
#include <algorithm>
#include "app/history/history_files.h"
#include "app/history/history_owner.h"
#include "history_test_files.h"

namespace {

using namespace history_test;

class HistoryFiles : public ::testing::Test {
protected:
    void SetUp() override { work = FreshFolder(L"history-files"); }
    void TearDown() override { RemoveTree(work); }
    std::wstring In(const std::wstring& name) const { return work + L"\\" + name; }
    std::wstring work;
};

TEST_F(HistoryFiles, AnUndoCutShortAfterItsFirstMoveLeavesBothClipsInSight) {
    Touch(In(L"a.mp3"));
    Touch(In(L"b.mp3"));
    HeldClips held(work, kScriptedApi);
    std::wstring error;
    ASSERT_TRUE(held.Hold(In(L"a.mp3"), error));  // the take's step: b replaced a
    const std::wstring heldA = g_script.moves.back().second;
    g_script.moves.clear();
    g_script.movesLeft = 1;  // the program dies after the first move of the Undo

    const StepMoves made = MakeStepMoves(held, FileMoves{In(L"b.mp3"), In(L"a.mp3")});
    ASSERT_EQ(g_script.moves.size(), 1u);
    EXPECT_EQ(g_script.moves[0].first, heldA);
    EXPECT_EQ(g_script.moves[0].second, In(L"a.mp3"));
    EXPECT_FALSE(made.done);
    EXPECT_EQ(made.leftAt, In(L"b.mp3"));
    EXPECT_EQ(made.reachedAt, In(L"a.mp3"));
    EXPECT_TRUE(Exists(In(L"a.mp3")));
    EXPECT_TRUE(Exists(In(L"b.mp3")));
    held.RemoveFolder();
}

TEST_F(HistoryFiles, AClipThatCannotBeHiddenSendsTheOneBroughtBackOutOfSightAgain) {
    Touch(In(L"a.mp3"));
    Touch(In(L"b.mp3"));
    HeldClips held(work, kScriptedApi);
    std::wstring error;
    ASSERT_TRUE(held.Hold(In(L"a.mp3"), error));
    g_script.movesLeft = 1;  // the clip comes back, the current one cannot be hidden
    g_script.failures = 1;

    const StepMoves made = MakeStepMoves(held, FileMoves{In(L"b.mp3"), In(L"a.mp3")});
    EXPECT_FALSE(made.done);
    EXPECT_FALSE(made.error.empty());
    EXPECT_EQ(made.leftAt, In(L"b.mp3"));
    EXPECT_NE(made.reachedAt, In(L"a.mp3"));
    EXPECT_FALSE(made.reachedAt.empty());
    EXPECT_FALSE(Exists(In(L"a.mp3")));
    held.RemoveFolder();
}

TEST_F(HistoryFiles, TheSweepTakesTheHistoriesOfGoneInstancesAndLeavesThoseOfRunningOnes) {
    const std::wstring pid = std::to_wstring(GetCurrentProcessId());
    // Another instance, started and held still: its name tells it runs.
    wchar_t program[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION other{};
    ASSERT_TRUE(CreateProcessW(program, nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                               &startup, &other));
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(other.hProcess, &created, &exited, &kernel, &user);
    const std::wstring running = L".history-" + std::to_wstring(other.dwProcessId) + L"-" +
        std::to_wstring((static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime);
    // One whose process id lives on in another program, which its start time tells apart; one
    // whose name cannot tell, but whose owner holds its lock; one named the old way.
    const std::wstring reused = L".history-" + pid + L"-1";
    const std::wstring locked = L".history-" + pid + L"-2";
    const std::wstring old = L".history-" + pid;
    for (const std::wstring& name : {running, reused, locked, old}) {
        CreateDirectoryW(In(name).c_str(), nullptr);
        Touch(In(name) + L"\\" + name.substr(1) + L".mp3");
    }
    const HANDLE lock = LockHistoryFolder(In(locked));
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);

    ReleaseOrphanedHistories(work, kScriptedApi);
    CloseHandle(lock);
    TerminateProcess(other.hProcess, 0);
    CloseHandle(other.hThread);
    CloseHandle(other.hProcess);

    EXPECT_TRUE(Exists(In(running) + L"\\" + running.substr(1) + L".mp3"));
    EXPECT_TRUE(Exists(In(locked) + L"\\" + locked.substr(1) + L".mp3"));
    EXPECT_FALSE(Exists(In(reused)));
    EXPECT_FALSE(Exists(In(old)));
    // Each clip of the gone ones back under its own name first, and from there to the bin.
    std::vector<std::wstring> expected{In(reused.substr(1) + L".mp3"), In(old.substr(1) + L".mp3")};
    std::sort(g_script.recycled.begin(), g_script.recycled.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(g_script.recycled, expected);
}

}  // namespace
