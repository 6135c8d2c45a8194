#include "edit_history.h"
#include <algorithm>
#include <cwctype>

namespace {

bool Ours(const ClipState& state) {
    return !state.clip.empty() && !state.imported;
}

// Windows compares file names without case.
bool SameName(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (towlower(a[i]) != towlower(b[i])) return false;
    return true;
}

bool Contains(const std::vector<std::wstring>& names, const std::wstring& name) {
    return std::any_of(names.begin(), names.end(), [&](const std::wstring& n) { return SameName(n, name); });
}

void AddOnce(std::vector<std::wstring>& names, const ClipState& state) {
    if (Ours(state) && !Contains(names, state.clip)) names.push_back(state.clip);
}

}  // namespace

const wchar_t* StepName(StepKind kind) {
    switch (kind) {
    case StepKind::kRecording: return L"recording";
    case StepKind::kEvenOut: return L"evening out";
    case StepKind::kSpot: return L"spot";
    case StepKind::kRestore: return L"restore";
    case StepKind::kDelete: return L"delete";
    case StepKind::kTighten: return L"tightening pauses";
    }
    return L"";
}

FileMoves MovesBetween(const ClipState& from, const ClipState& to) {
    FileMoves moves;
    if (SameName(from.clip, to.clip)) return moves;
    if (Ours(from)) moves.hold = from.clip;
    if (Ours(to)) moves.unhold = to.clip;
    return moves;
}

const ClipState* EditHistory::Current() const {
    if (m_steps.empty()) return nullptr;
    return m_done == 0 ? &m_steps.front().before : &m_steps[m_done - 1].after;
}

std::vector<std::wstring> EditHistory::Referenced() const {
    std::vector<std::wstring> names;
    for (const EditStep& step : m_steps) {
        AddOnce(names, step.before);
        AddOnce(names, step.after);
    }
    return names;
}

std::vector<std::wstring> EditHistory::Unreferenced(const std::vector<EditStep>& dropped) const {
    const std::vector<std::wstring> kept = Referenced();
    std::vector<std::wstring> released;
    for (const EditStep& step : dropped)
        for (const ClipState* state : {&step.before, &step.after})
            if (Ours(*state) && !Contains(kept, state->clip) && !Contains(released, state->clip))
                released.push_back(state->clip);
    return released;
}

std::vector<std::wstring> EditHistory::Push(const EditStep& step) {
    // The state the undone steps left is the one the new step began from, so it stays
    // referred to by the new step's `before`.
    std::vector<EditStep> dropped(m_steps.begin() + static_cast<std::ptrdiff_t>(m_done), m_steps.end());
    m_steps.erase(m_steps.begin() + static_cast<std::ptrdiff_t>(m_done), m_steps.end());
    m_steps.push_back(step);
    m_done = m_steps.size();
    while (m_steps.size() > kMostSteps) {
        dropped.push_back(m_steps.front());
        m_steps.pop_front();
        --m_done;
    }
    std::vector<std::wstring> released = Unreferenced(dropped);
    // The clip the new step reached is current, never released.
    released.erase(std::remove_if(released.begin(), released.end(),
                                  [&](const std::wstring& n) { return SameName(n, step.after.clip); }),
                   released.end());
    return released;
}

bool EditHistory::DropOldest(std::vector<std::wstring>& released) {
    if (m_steps.empty()) return false;
    const ClipState current = *Current();
    std::vector<EditStep> dropped;
    if (m_done > 0) {
        dropped.push_back(m_steps.front());
        m_steps.pop_front();
        --m_done;
    } else {
        // Every step is undone: none can be redone without the oldest, so all of them go.
        dropped.assign(m_steps.begin(), m_steps.end());
        m_steps.clear();
    }
    released = Unreferenced(dropped);
    released.erase(std::remove_if(released.begin(), released.end(),
                                  [&](const std::wstring& n) { return SameName(n, current.clip); }),
                   released.end());
    return true;
}

std::vector<std::wstring> EditHistory::Clear() {
    const ClipState current = Current() ? *Current() : ClipState{};
    std::vector<std::wstring> released = Referenced();
    released.erase(std::remove_if(released.begin(), released.end(),
                                  [&](const std::wstring& n) { return SameName(n, current.clip); }),
                   released.end());
    m_steps.clear();
    m_done = 0;
    return released;
}
