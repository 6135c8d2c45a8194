// A hidden window that stands in for a progress dialog: it records the messages a service
// worker sends it, and pumps messages while waiting for the worker to end.
#pragma once
#include <windows.h>
#include <functional>
#include <vector>

struct SinkMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

class MessageSink {
public:
    MessageSink();
    ~MessageSink();
    MessageSink(const MessageSink&) = delete;
    MessageSink& operator=(const MessageSink&) = delete;

    HWND Window() const { return m_window; }
    const std::vector<SinkMessage>& Messages() const { return m_messages; }
    std::vector<LPARAM> Progress() const;  // lParams of WM_TRANSFER_PROGRESS, in order
    int DoneCount() const;
    // Called on this thread after each message was recorded, as a dialog's handler would be.
    std::function<void(const SinkMessage&)> onMessage;

    // Pumps this thread's messages until the thread ends or timeoutMs passed; true if it ended.
    bool PumpUntilEnded(HANDLE thread, DWORD timeoutMs);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND m_window = nullptr;
    std::vector<SinkMessage> m_messages;
};
