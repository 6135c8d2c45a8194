// Runs one libcurl transfer to its end on the calling thread.
#pragma once
#include <curl/curl.h>

// Like curl_easy_perform, but waits for the socket with select(). libcurl's own wait on
// Windows relies on WSAEventSelect re-arming FD_WRITE, which Wine does not do: every time the
// send buffer fills, an upload then sleeps a whole second. The result is the transfer's code.
CURLcode PerformTransfer(CURL* transfer);
