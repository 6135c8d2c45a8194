// The Undo history of the current clip: the steps done to it, each with the clip, spots and
// cursor before and after, and which clip files each change of state hides away or brings
// back. Pure logic: the files themselves are moved by history_files.h.
//
// A clip file of ours is either the current clip, under its own name in "Unpublished", or
// held for the history in a folder of the program's own; a file the user opened is only ever
// referred to. A held file that no remaining step refers to leaves the history: the caller
// gets its own name back from Push, DropOldest and Clear and releases it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>
#include "app/command_rules/spot_rules.h"

struct ClipState {
    std::wstring clip;  // own name of the clip; empty: the empty window
    bool imported = false;  // opened by the user: never moved, never deleted
    SpotSet spots;
    uint32_t cursor = 0;
    // The stretch selected on the time line [start, end): kept only before a cut, which Undo
    // brings back as the selection it removed.
    uint32_t selectionStart = 0;
    uint32_t selectionEnd = 0;
};

enum class StepKind { kRecording, kEvenOut, kSpot, kRestore, kDelete, kTighten };

// "recording", "evening out", "spot", "restore", "delete", "tightening pauses": the menu says
// "Undo " + the name.
const wchar_t* StepName(StepKind kind);

struct EditStep {
    StepKind kind;
    ClipState before;
    ClipState after;
};

// The files to hide away (the clip left, if ours) and to bring back (the clip reached, if
// ours) when the window goes from one state to another.
struct FileMoves {
    std::wstring hold;    // empty: none
    std::wstring unhold;  // empty: none
};
FileMoves MovesBetween(const ClipState& from, const ClipState& to);

class EditHistory {
public:
    static constexpr size_t kMostSteps = 30;

    // A step just done: the steps undone before it are forgotten, and the oldest one beyond
    // kMostSteps. Returns the held clips that no remaining step refers to.
    std::vector<std::wstring> Push(const EditStep& step);
    const EditStep* NextUndo() const { return m_done == 0 ? nullptr : &m_steps[m_done - 1]; }
    const EditStep* NextRedo() const { return m_done == m_steps.size() ? nullptr : &m_steps[m_done]; }
    // Once the window shows the step's state and its files have moved.
    void Undone() { if (m_done > 0) --m_done; }
    void Redone() { if (m_done < m_steps.size()) ++m_done; }
    // The oldest step, when the disk runs low; false when there is none to drop.
    bool DropOldest(std::vector<std::wstring>& released);
    // Forgets every step (a publication, Open, closing): the held clips, none of them current.
    std::vector<std::wstring> Clear();
    bool Empty() const { return m_steps.empty(); }
    size_t Size() const { return m_steps.size(); }
    // The clip the window shows as far as the history knows; empty without steps.
    const ClipState* Current() const;

private:
    // Own names referred to by the steps kept and the current state, our files only.
    std::vector<std::wstring> Referenced() const;
    std::vector<std::wstring> Unreferenced(const std::vector<EditStep>& dropped) const;

    std::deque<EditStep> m_steps;
    size_t m_done = 0;  // steps applied; m_steps[m_done] is the next to redo
};
