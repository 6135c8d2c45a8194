#include "message_sink.h"
#include "service/request/service_messages.h"

MessageSink::MessageSink() {
    static const wchar_t kClass[] = L"QuillbankTestMessageSink";
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &MessageSink::Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClass;
    RegisterClassW(&windowClass);  // fails harmlessly when already registered
    m_window = CreateWindowW(kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

MessageSink::~MessageSink() { DestroyWindow(m_window); }

std::vector<LPARAM> MessageSink::Progress() const {
    std::vector<LPARAM> progress;
    for (const SinkMessage& message : m_messages)
        if (message.message == WM_TRANSFER_PROGRESS) progress.push_back(message.lParam);
    return progress;
}

int MessageSink::DoneCount() const {
    int count = 0;
    for (const SinkMessage& message : m_messages) count += message.message == WM_REQUEST_DONE;
    return count;
}

bool MessageSink::PumpUntilEnded(HANDLE thread, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return false;
        const DWORD wait = MsgWaitForMultipleObjects(1, &thread, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        if (wait == WAIT_OBJECT_0) return true;
    }
}

LRESULT CALLBACK MessageSink::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* sink = reinterpret_cast<MessageSink*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (sink != nullptr && (message == WM_TRANSFER_PROGRESS || message == WM_REQUEST_DONE)) {
        const SinkMessage received{message, wParam, lParam};
        sink->m_messages.push_back(received);
        if (sink->onMessage) sink->onMessage(received);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
