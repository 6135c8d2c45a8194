// Closes the unpacked files on a thread of its own. Under Wine closing a file is a request to
// its server and the system's own close, a seventh of a small entry's time, and the next entry
// need not wait for it. Two threads meet here: the unpacking one, which hands handles over and
// may wait for them all to be closed, and the closing one, which owns a handle from the moment
// it is handed over.
#pragma once
#include <windows.h>
#include <vector>

class FileCloser {
public:
    FileCloser();
    // Closes whatever is still handed over, then ends the thread: nothing stays open after it.
    ~FileCloser();
    FileCloser(const FileCloser&) = delete;
    FileCloser& operator=(const FileCloser&) = delete;

    // Takes the handle over; closes it at once when the thread could not start.
    void Close(HANDLE file);
    // Returns once every handle handed over so far is closed.
    void Drain();

private:
    static DWORD Body(void* closer);
    void Run();

    // Slim locks and condition variables: under Wine they wait without a request to its
    // server, which an event or a semaphore would make at every handle.
    SRWLOCK m_lock = SRWLOCK_INIT;
    CONDITION_VARIABLE m_handedOver = CONDITION_VARIABLE_INIT;
    CONDITION_VARIABLE m_closed = CONDITION_VARIABLE_INIT;
    std::vector<HANDLE> m_pending;
    bool m_closing = false;  // the thread has taken handles and not closed them all yet
    bool m_stopping = false;
    HANDLE m_thread = nullptr;
};
