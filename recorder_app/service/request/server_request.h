// One exchange with the service's "/publish.php": a login (type 1) that lists the user's
// podcasts, or a publication (type 2) that uploads an episode with its metadata and spots.
// Errors come back as false plus a text; nothing is thrown.
#pragma once
#include <windows.h>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <vector>
#include "podcast_entry.h"
#include "progress_pacer.h"

class CServerRequest {
public:
    // Replies beyond this size are refused: a real reply is a few lines.
    static constexpr size_t kMaxReplyBytes = 4 * 1024 * 1024;
    // The server's failure message is shown in a message box: no more of it than a box can
    // hold (UTF-8 bytes, cut before a character that would not fit whole).
    static constexpr size_t kMaxErrorBytes = 1024;

    // A login.
    CServerRequest(HWND notifyWnd, const std::wstring& login, const std::wstring& password, int type);
    // A publication of the MP3 file at filePath; spots are milliseconds.
    CServerRequest(HWND notifyWnd, const std::wstring& login, const std::wstring& password, int type,
                   int32_t podcastId, const std::wstring& title, const std::wstring& description,
                   const std::wstring& filePath, const std::set<uint32_t>& spots);
    CServerRequest(const CServerRequest&) = delete;
    CServerRequest& operator=(const CServerRequest&) = delete;
    ~CServerRequest();  // wipes the password

    // The whole exchange on the calling thread. A publication reports its upload progress to
    // the notify window with WM_TRANSFER_PROGRESS.
    bool Perform();

    bool Succeeded() const;
    std::wstring GetError() const;  // "No Error" while none
    std::vector<PodcastEntry> GetPodcasts() const;

    // The window that receives the worker's messages; null stops them.
    HWND GetNotifyWindow() const { return m_notifyWnd.load(); }
    void SetNotifyWindow(HWND window) { m_notifyWnd.store(window); }
    // For a cancelled publication: no more messages, and the transfer ends at libcurl's next
    // progress call (about once a second at the latest, also while waiting for the reply).
    void Abandon();
    bool IsAbandoned() const { return m_abandoned.load(); }

private:
    bool ParseReply();
    bool Fail(const std::wstring& error);
    static size_t OnReplyData(char* data, size_t size, size_t count, void* request);
    static int OnProgress(void* request, double downloadTotal, double downloaded, double uploadTotal,
                          double uploaded);

    std::atomic<HWND> m_notifyWnd;
    std::wstring m_login;
    std::wstring m_password;
    std::wstring m_description;
    int32_t m_podcastId = 0;
    std::wstring m_title;
    std::wstring m_filePath;
    // The outcome may be read by a dialog that gave up on the worker while it still runs.
    mutable std::mutex m_resultLock;
    bool m_ok = true;
    std::wstring m_error = L"No Error";
    std::vector<PodcastEntry> m_podcasts;
    std::string m_reply;
    int m_type;
    std::set<uint32_t> m_spots;

    std::atomic<bool> m_abandoned{false};
    bool m_replyTooLarge = false;
    ProgressPacer m_progress;
};
