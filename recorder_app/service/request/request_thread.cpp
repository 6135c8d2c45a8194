#include "request_thread.h"
#include "runtime/crash_guard.h"
#include "service_messages.h"

HANDLE StartRequestThread(const std::shared_ptr<CServerRequest>& request) {
    auto* reference = new std::shared_ptr<CServerRequest>(request);
    HANDLE thread = CreateThread(nullptr, 0, GuardedThread<&RunRequestThread>, reference, 0, nullptr);
    if (thread == nullptr) delete reference;
    return thread;
}

DWORD RunRequestThread(void* argument) {
    const std::unique_ptr<std::shared_ptr<CServerRequest>> reference(
        static_cast<std::shared_ptr<CServerRequest>*>(argument));
    CServerRequest& request = **reference;
    const bool ok = request.Perform();
    if (const HWND window = request.GetNotifyWindow())
        SendMessageW(window, WM_REQUEST_DONE, ok ? 1 : 0, reinterpret_cast<LPARAM>(&request));
    return ok ? 1 : 0;
}
