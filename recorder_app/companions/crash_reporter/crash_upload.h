// One crash report sent to the collector as the minidump collectors take it (the Breakpad and
// Crashpad upload form): a multipart POST whose file part "upload_file_minidump" streams the
// dump from disk, beside the text parts "prod", "ver" and "comments". Errors come back as
// false plus a text; nothing is thrown.
//
// Threads: Perform runs on one thread (the dialog's worker); it reaches the window only by
// SendMessage of WM_TRANSFER_PROGRESS and, from RunUploadThread, WM_REQUEST_DONE. The window
// does not end while the worker runs, so the object outlives every message.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include "service/request/progress_pacer.h"

struct CrashReport {
    std::wstring address;   // the collector's URL
    std::wstring product;   // "prod"
    std::wstring version;   // "ver"
    std::wstring comments;  // "comments", what the user typed
    std::wstring dumpPath;  // the file part
};

class CrashUpload {
public:
    // Collectors answer at once; a service that stops answering must not hold the dialog forever.
    static constexpr long kStallSeconds = 30;

    CrashUpload(const CrashReport& report, HWND notifyWnd);
    CrashUpload(const CrashUpload&) = delete;
    CrashUpload& operator=(const CrashUpload&) = delete;

    // The whole exchange on the calling thread: true when the collector took the report
    // (HTTP status 2xx).
    bool Perform();
    const std::wstring& Error() const { return m_error; }
    const CrashReport& Report() const { return m_report; }

    // Thread routine (argument: the upload): Perform, then WM_REQUEST_DONE to the notify
    // window, wParam 1 on success and 0 on failure, lParam the upload.
    static DWORD WINAPI RunUploadThread(void* upload);

private:
    // libcurl's transfer-information callback; its counts are curl_off_t, 64-bit.
    static int OnProgress(void* upload, int64_t, int64_t, int64_t uploadTotal, int64_t uploaded);
    static size_t IgnoreReply(char*, size_t size, size_t count, void*);

    CrashReport m_report;
    HWND m_notifyWnd;
    std::wstring m_error;
    ProgressPacer m_progress;
};
