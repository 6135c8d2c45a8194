// Watches for user32 calls that name no window where a control means its own: a repaint
// of the null window repaints the desktop, a post to it becomes a thread message, a timer
// on it belongs to the thread. The controls are linked into the test program, so their
// calls go through its import table, which the watcher patches while it lives.
#pragma once

namespace test {

class NullWindowCalls {
public:
    NullWindowCalls();  // starts watching; only one watcher at a time
    ~NullWindowCalls();
    NullWindowCalls(const NullWindowCalls&) = delete;
    NullWindowCalls& operator=(const NullWindowCalls&) = delete;

    // Calls with a null window seen so far; they are swallowed, not passed on.
    int Count() const;
    // Whether every watched function was found in the import table.
    bool Watching() const { return m_patched == m_wanted; }

private:
    int m_patched = 0;
    int m_wanted = 0;
};

}  // namespace test
