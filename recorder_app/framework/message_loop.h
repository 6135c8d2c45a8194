// The thread's message loop: registered filters see each message first (accelerators,
// dialog navigation); only what none of them consumed is translated and dispatched.
#pragma once
#include <windows.h>
#include <vector>

class CMessageFilter {
public:
    virtual BOOL PreTranslateMessage(MSG* pMsg) = 0;
protected:
    ~CMessageFilter() = default;
};

class CMessageLoop {
public:
    void AddMessageFilter(CMessageFilter* filter);
    void RemoveMessageFilter(CMessageFilter* filter);
    // Runs until WM_QUIT and returns its exit code.
    int Run();
    // Offers the message to the filters, the most recently added first.
    BOOL PreTranslateMessage(MSG* pMsg);

private:
    std::vector<CMessageFilter*> m_filters;
};
