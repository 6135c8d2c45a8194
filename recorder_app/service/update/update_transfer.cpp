#include <curl/curl.h>
#include "update_transfer.h"
#include <cstdint>
#include <stdexcept>
#include "service/request/progress_pacer.h"
#include "service/request/service_messages.h"
#include "service/request/service_settings.h"
#include "service/request/text_encoding.h"
#include "service/request/transfer_loop.h"

namespace {

struct Download {
    CURL* handle = nullptr;
    std::string* body = nullptr;
    size_t maxBytes = 0;
    TransferWatch* watch = nullptr;
    bool statusChecked = false;
    long status = 0;
    bool tooLarge = false;
    ProgressPacer progress;
};

// The first data tells the status: the body of an error page is never collected.
bool AcceptStatus(Download* download) {
    if (download->statusChecked) return download->status == 200;
    download->statusChecked = true;
    curl_easy_getinfo(download->handle, CURLINFO_RESPONSE_CODE, &download->status);
    if (download->status != 200) return false;
    // Room for the announced size at once: growing by doubling would need up to twice the
    // archive's size in a 32-bit address space.
    curl_off_t announced = -1;
    if (curl_easy_getinfo(download->handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced) == CURLE_OK &&
        announced > 0 && static_cast<uint64_t>(announced) <= download->maxBytes) {
        // Nothing may be thrown through libcurl; without the room the body simply grows.
        try {
            download->body->reserve(static_cast<size_t>(announced));
        } catch (...) {
        }
    }
    return true;
}

size_t OnData(char* data, size_t size, size_t count, void* context) {
    auto* download = static_cast<Download*>(context);
    const size_t bytes = size * count;
    if (download->watch->cancelled.load()) return 0;
    if (!AcceptStatus(download)) return 0;
    if (bytes > download->maxBytes - download->body->size()) {
        download->tooLarge = true;
        return 0;
    }
    try {
        download->body->append(data, bytes);
    } catch (...) {
        download->tooLarge = true;
        return 0;
    }
    return bytes;
}

int OnProgress(void* context, double, double downloaded, double, double) {
    auto* download = static_cast<Download*>(context);
    TransferWatch* watch = download->watch;
    // Once the user cancelled, nobody waits for this transfer: it ends here.
    if (watch->cancelled.load()) return 1;
    const HWND window = watch->progressWnd.load();
    if (window == nullptr) return 0;
    download->progress.Report(window, static_cast<LPARAM>(static_cast<int32_t>(static_cast<int64_t>(downloaded))),
                              false);
    return watch->cancelled.load() ? 1 : 0;
}

[[noreturn]] void Fail(CURLcode code) { throw std::runtime_error(curl_easy_strerror(code)); }

}  // namespace

void HttpGet(const std::wstring& address, std::string* body, size_t maxBytes, TransferWatch* watch) {
    body->clear();
    const std::string url = ToAnsi(address);
    Download download;
    download.handle = curl_easy_init();
    if (download.handle == nullptr) Fail(CURLE_FAILED_INIT);
    download.body = body;
    download.maxBytes = maxBytes;
    download.watch = watch;
    CURL* curl = download.handle;
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "QuillbankRecorder");
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &OnData);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &download);
    curl_easy_setopt(curl, CURLOPT_PROGRESSFUNCTION, &OnProgress);
    curl_easy_setopt(curl, CURLOPT_PROGRESSDATA, &download);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    // The service may move its query or archives (another host, a mirror); the archive's
    // signature, not its address, says whether it is the service's.
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http");
    // An announced size beyond the limit fails before any of the body arrives.
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxBytes));
    ApplyProxy(g_settings, curl);

    CURLcode result = PerformTransfer(curl);
    if (result == CURLE_OK && !download.statusChecked) {
        // No body at all: the status was never looked at.
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &download.status);
        download.statusChecked = true;
    }
    curl_easy_cleanup(curl);
    if (watch->cancelled.load()) Fail(CURLE_ABORTED_BY_CALLBACK);
    if (download.tooLarge) Fail(CURLE_FILESIZE_EXCEEDED);
    if (download.status != 200 && (result == CURLE_OK || result == CURLE_WRITE_ERROR))
        Fail(CURLE_HTTP_RETURNED_ERROR);
    if (result != CURLE_OK) Fail(result);
    // The paced reports may have skipped the last count: the bar is told the whole, once.
    if (const HWND window = watch->progressWnd.load())
        SendMessageW(window, WM_TRANSFER_PROGRESS, kTransferFinished,
                     static_cast<LPARAM>(static_cast<int32_t>(body->size())));
}
