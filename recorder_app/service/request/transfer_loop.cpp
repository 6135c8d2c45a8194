#include "transfer_loop.h"
#include <algorithm>

namespace {

// Longest single wait: libcurl's own timers (progress calls among them) run at least this often.
constexpr long kLongestWaitMs = 100;

CURLcode AsTransferCode(CURLMcode code) {
    return code == CURLM_OUT_OF_MEMORY ? CURLE_OUT_OF_MEMORY : CURLE_FAILED_INIT;
}

void WaitForActivity(CURLM* multi) {
    long waitMs = -1;
    curl_multi_timeout(multi, &waitMs);
    if (waitMs < 0 || waitMs > kLongestWaitMs) waitMs = kLongestWaitMs;
    if (waitMs == 0) return;
    fd_set readable, writable, failed;
    FD_ZERO(&readable);
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    int highest = -1;
    curl_multi_fdset(multi, &readable, &writable, &failed, &highest);
    if (highest < 0) {
        // Nothing to wait on yet (the name is being resolved): libcurl says when to look again.
        Sleep(static_cast<DWORD>(std::min<long>(waitMs, 10)));
        return;
    }
    timeval limit{0, static_cast<long>(waitMs * 1000)};
    select(highest + 1, &readable, &writable, &failed, &limit);
}

}  // namespace

CURLcode PerformTransfer(CURL* transfer) {
    CURLM* multi = curl_multi_init();
    if (multi == nullptr) return CURLE_OUT_OF_MEMORY;
    CURLMcode status = curl_multi_add_handle(multi, transfer);
    int running = 1;
    while (status == CURLM_OK) {
        status = curl_multi_perform(multi, &running);
        if (status != CURLM_OK || running == 0) break;
        WaitForActivity(multi);
    }
    CURLcode result = status == CURLM_OK ? CURLE_OK : AsTransferCode(status);
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left))
        if (message->msg == CURLMSG_DONE && message->easy_handle == transfer) result = message->data.result;
    curl_multi_remove_handle(multi, transfer);
    curl_multi_cleanup(multi);
    return result;
}
