#include "app_module.h"

CAppModule g_module;

HRESULT CAppModule::Init(HINSTANCE hInstance) {
    m_hInst = hInstance ? hInstance : GetModuleHandleW(nullptr);
    return S_OK;
}

void CAppModule::Term() {
    m_loops.clear();
}

BOOL CAppModule::AddMessageLoop(CMessageLoop* loop) {
    return m_loops.emplace(GetCurrentThreadId(), loop).second;
}

BOOL CAppModule::RemoveMessageLoop() {
    return m_loops.erase(GetCurrentThreadId()) != 0;
}

CMessageLoop* CAppModule::GetMessageLoop(DWORD threadId) const {
    auto it = m_loops.find(threadId);
    return it == m_loops.end() ? nullptr : it->second;
}
