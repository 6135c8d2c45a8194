#include "file_closer.h"
#include "runtime/crash_guard.h"

FileCloser::FileCloser() {
    m_thread = CreateThread(nullptr, 0, GuardedThread<&FileCloser::Body>, this, 0, nullptr);
}

FileCloser::~FileCloser() {
    if (m_thread == nullptr) return;
    AcquireSRWLockExclusive(&m_lock);
    m_stopping = true;
    ReleaseSRWLockExclusive(&m_lock);
    WakeConditionVariable(&m_handedOver);
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
}

void FileCloser::Close(HANDLE file) {
    if (m_thread == nullptr) {
        CloseHandle(file);
        return;
    }
    AcquireSRWLockExclusive(&m_lock);
    m_pending.push_back(file);
    ReleaseSRWLockExclusive(&m_lock);
    WakeConditionVariable(&m_handedOver);
}

void FileCloser::Drain() {
    AcquireSRWLockExclusive(&m_lock);
    while (!m_pending.empty() || m_closing) SleepConditionVariableSRW(&m_closed, &m_lock, INFINITE, 0);
    ReleaseSRWLockExclusive(&m_lock);
}

DWORD FileCloser::Body(void* closer) {
    static_cast<FileCloser*>(closer)->Run();
    return 0;
}

// Takes every handle handed over at once and closes them outside the lock, so that handing
// over never waits for a close.
void FileCloser::Run() {
    std::vector<HANDLE> taken;
    AcquireSRWLockExclusive(&m_lock);
    for (;;) {
        while (m_pending.empty() && !m_stopping) SleepConditionVariableSRW(&m_handedOver, &m_lock, INFINITE, 0);
        if (m_pending.empty()) break;  // stopping, and nothing is left
        taken.swap(m_pending);
        m_closing = true;
        ReleaseSRWLockExclusive(&m_lock);
        for (HANDLE file : taken) CloseHandle(file);
        taken.clear();
        AcquireSRWLockExclusive(&m_lock);
        m_closing = false;
        WakeAllConditionVariable(&m_closed);
    }
    ReleaseSRWLockExclusive(&m_lock);
}
