// A service on loopback that takes uploads slowly, for cancelling a publication in the middle
// of its upload. A login (a small body) is answered at once with one podcast; a publication's
// body is read at a trickle and answered only if it ever arrives whole. It counts what the
// client did with each upload: gave up (closed the connection) or sent it all.
#pragma once
#include <winsock2.h>
#include <windows.h>
#include <atomic>
#include <string>
#include <vector>

class SlowService {
public:
    static constexpr int kPodcastId = 5;
    static constexpr const wchar_t* kPodcastName = L"Slow Show";

    SlowService();
    ~SlowService();
    SlowService(const SlowService&) = delete;
    SlowService& operator=(const SlowService&) = delete;

    bool Listening() const { return m_listener != INVALID_SOCKET; }
    std::wstring Host() const;  // 127.0.0.1:PORT
    int UploadsStarted() const { return m_uploadsStarted.load(); }
    int UploadsAbandoned() const { return m_uploadsAbandoned.load(); }
    int UploadsCompleted() const { return m_uploadsCompleted.load(); }

private:
    static DWORD WINAPI AcceptLoop(void* self);
    static DWORD WINAPI ServeConnection(void* context);
    void Serve(SOCKET connection);

    SOCKET m_listener = INVALID_SOCKET;
    int m_port = 0;
    HANDLE m_acceptThread = nullptr;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_uploadsStarted{0};
    std::atomic<int> m_uploadsAbandoned{0};
    std::atomic<int> m_uploadsCompleted{0};
    std::atomic<int> m_activeConnections{0};
};
