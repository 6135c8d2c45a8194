#include "message_loop.h"
#include <algorithm>

void CMessageLoop::AddMessageFilter(CMessageFilter* filter) {
    m_filters.push_back(filter);
}

void CMessageLoop::RemoveMessageFilter(CMessageFilter* filter) {
    m_filters.erase(std::remove(m_filters.begin(), m_filters.end(), filter), m_filters.end());
}

BOOL CMessageLoop::PreTranslateMessage(MSG* pMsg) {
    // A filter may remove itself while handling the message: iterate over a copy.
    const std::vector<CMessageFilter*> filters(m_filters);
    for (auto it = filters.rbegin(); it != filters.rend(); ++it) {
        if ((*it)->PreTranslateMessage(pMsg)) return TRUE;
    }
    return FALSE;
}

int CMessageLoop::Run() {
    MSG msg{};
    for (;;) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) break;        // WM_QUIT
        if (got == -1) continue;    // a failed retrieval is skipped, the loop goes on
        if (!PreTranslateMessage(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}
