// Which clips the Undo history holds, brings back and lets go of.
#include <gtest/gtest.h>
#include <string>
#include "app/history/edit_history.h"

namespace {

ClipState Clip(const wchar_t* name, uint32_t cursor = 0, bool imported = false) {
    return ClipState{name, imported, {}, cursor};
}

TEST(EditHistory, UndoHidesTheTakesClipAndBringsBackTheOneItReplaced) {
    EditHistory history;
    EXPECT_TRUE(history.Push({StepKind::kRecording, Clip(L""), Clip(L"a.mp3", 6000)}).empty());
    EXPECT_TRUE(history.Push({StepKind::kRecording, Clip(L"a.mp3", 3000), Clip(L"b.mp3", 6000)}).empty());
    const EditStep* undo = history.NextUndo();
    ASSERT_NE(undo, nullptr);
    const FileMoves moves = MovesBetween(undo->after, undo->before);
    EXPECT_EQ(moves.hold, L"b.mp3");
    EXPECT_EQ(moves.unhold, L"a.mp3");
    EXPECT_EQ(undo->before.cursor, 3000u);
    history.Undone();
    EXPECT_EQ(history.Current()->clip, L"a.mp3");
    ASSERT_NE(history.NextRedo(), nullptr);

    // A new step after an Undo: the undone take's clip leaves the history, the rest stays.
    const std::vector<std::wstring> released =
        history.Push({StepKind::kSpot, Clip(L"a.mp3", 1000), Clip(L"a.mp3", 1000)});
    EXPECT_EQ(released, std::vector<std::wstring>{L"b.mp3"});
    EXPECT_EQ(history.NextRedo(), nullptr);
    EXPECT_EQ(history.Size(), 2u);
}

TEST(EditHistory, AFileTheUserOpenedIsNeverMovedNorLetGo) {
    EditHistory history;
    history.Push({StepKind::kEvenOut, Clip(L"mine.mp3", 0, true), Clip(L"even.mp3")});
    const FileMoves undo = MovesBetween(history.NextUndo()->after, history.NextUndo()->before);
    EXPECT_EQ(undo.hold, L"even.mp3");
    EXPECT_EQ(undo.unhold, L"");
    EXPECT_TRUE(history.Clear().empty());  // even.mp3 is current, mine.mp3 the user's
}

TEST(EditHistory, TheOldestStepGoesPastTheLimitAndWhenTheDiskRunsLow) {
    EditHistory history;
    std::wstring previous;
    std::vector<std::wstring> released;
    // The first step began from the empty window; the oldest clip goes once no step needs it.
    for (size_t i = 0; i <= EditHistory::kMostSteps + 1; ++i) {
        const std::wstring next = L"take" + std::to_wstring(i) + L".mp3";
        released = history.Push({StepKind::kRecording, ClipState{previous, false, {}, 0}, ClipState{next, false, {}, 0}});
        previous = next;
    }
    EXPECT_EQ(history.Size(), EditHistory::kMostSteps);
    EXPECT_EQ(released, std::vector<std::wstring>{L"take0.mp3"});

    ASSERT_TRUE(history.DropOldest(released));
    EXPECT_EQ(released, std::vector<std::wstring>{L"take1.mp3"});
    // Every step undone: dropping the oldest leaves nothing to redo, and only the current
    // clip stays.
    while (history.NextUndo() != nullptr) history.Undone();
    const std::wstring current = history.Current()->clip;
    ASSERT_TRUE(history.DropOldest(released));
    EXPECT_TRUE(history.Empty());
    EXPECT_EQ(released.size(), EditHistory::kMostSteps - 1);
    for (const std::wstring& clip : released) EXPECT_NE(clip, current);
}

}  // namespace
