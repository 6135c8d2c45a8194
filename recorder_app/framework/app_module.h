// The application module: the instance handle for resources and the message loop of each
// thread that runs one.
#pragma once
#include <windows.h>
#include <map>

class CMessageLoop;

class CAppModule {
public:
    HRESULT Init(HINSTANCE hInstance);
    void Term();

    HINSTANCE GetModuleInstance() const { return m_hInst; }
    HINSTANCE GetResourceInstance() const { return m_hInst; }

    BOOL AddMessageLoop(CMessageLoop* loop);
    BOOL RemoveMessageLoop();
    CMessageLoop* GetMessageLoop(DWORD threadId = GetCurrentThreadId()) const;

private:
    HINSTANCE m_hInst = nullptr;
    std::map<DWORD, CMessageLoop*> m_loops;  // main thread only
};

// The process's module; the entry point initialises it.
extern CAppModule g_module;
