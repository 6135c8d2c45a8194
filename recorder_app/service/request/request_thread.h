// The publication worker: performs a request on its own thread and reports the outcome to the
// request's notify window.
#pragma once
#include <windows.h>
#include <memory>
#include "server_request.h"

// Starts the worker and returns its thread handle (null if it could not start). The worker
// keeps the request alive until it ends, so a dialog that gives up on it (Abandon) may drop
// its own reference and close at once.
HANDLE StartRequestThread(const std::shared_ptr<CServerRequest>& request);

// Thread body, run inside the crash guard. Its argument is a heap-allocated
// std::shared_ptr<CServerRequest> that the thread releases. Performs the request, sends
// WM_REQUEST_DONE (wParam 1 on success, else 0; lParam the request) unless the notify window
// was cleared, and returns 1 or 0 as the thread's exit code.
DWORD RunRequestThread(void* request);
