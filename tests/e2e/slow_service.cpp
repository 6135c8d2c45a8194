#include "slow_service.h"
#include <ws2tcpip.h>
#include <cctype>
#include <cstdlib>
#include <cstring>

namespace {

// Bodies up to this size are logins; larger ones are publications.
constexpr size_t kLoginBodyLimit = 64 * 1024;
// The trickle: this many bytes every kTrickleMs, far too slow for the upload to end during a test.
constexpr int kTrickleBytes = 16 * 1024;
constexpr DWORD kTrickleMs = 20;

bool SendAll(SOCKET s, const std::string& bytes) {
    return send(s, bytes.data(), static_cast<int>(bytes.size()), 0) == static_cast<int>(bytes.size());
}

std::string Reply(const std::string& body) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

size_t HeaderNumber(const std::string& headers, const char* name) {
    std::string lower;
    for (char c : headers) lower.push_back(static_cast<char>(tolower(static_cast<unsigned char>(c))));
    const size_t at = lower.find(name);
    return at == std::string::npos ? 0 : std::strtoul(headers.c_str() + at + std::strlen(name), nullptr, 10);
}

struct ConnectionContext {
    class SlowService* service;
    SOCKET connection;
};

}  // namespace

SlowService::SlowService() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (m_listener == INVALID_SOCKET || bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(m_listener, 16) != 0 || getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (m_listener != INVALID_SOCKET) closesocket(m_listener);
        m_listener = INVALID_SOCKET;
        return;
    }
    m_port = ntohs(address.sin_port);
    m_acceptThread = CreateThread(nullptr, 0, &AcceptLoop, this, 0, nullptr);
}

SlowService::~SlowService() {
    m_stopping = true;
    if (m_listener != INVALID_SOCKET) closesocket(m_listener);
    if (m_acceptThread != nullptr) {
        WaitForSingleObject(m_acceptThread, 10000);
        CloseHandle(m_acceptThread);
    }
    // Connection threads notice the stop within one trickle step.
    for (int i = 0; i < 500 && m_activeConnections.load() > 0; ++i) Sleep(10);
    WSACleanup();
}

std::wstring SlowService::Host() const { return L"127.0.0.1:" + std::to_wstring(m_port); }

DWORD WINAPI SlowService::AcceptLoop(void* self) {
    auto* service = static_cast<SlowService*>(self);
    while (!service->m_stopping) {
        const SOCKET connection = accept(service->m_listener, nullptr, nullptr);
        if (connection == INVALID_SOCKET) break;
        ++service->m_activeConnections;
        auto* context = new ConnectionContext{service, connection};
        HANDLE thread = CreateThread(nullptr, 0, &ServeConnection, context, 0, nullptr);
        if (thread == nullptr) {
            closesocket(connection);
            --service->m_activeConnections;
            delete context;
        } else {
            CloseHandle(thread);
        }
    }
    return 0;
}

DWORD WINAPI SlowService::ServeConnection(void* argument) {
    auto* context = static_cast<ConnectionContext*>(argument);
    context->service->Serve(context->connection);
    closesocket(context->connection);
    --context->service->m_activeConnections;
    delete context;
    return 0;
}

void SlowService::Serve(SOCKET connection) {
    std::string received;
    char buffer[kTrickleBytes];
    size_t headerEnd;
    while ((headerEnd = received.find("\r\n\r\n")) == std::string::npos) {
        const int n = recv(connection, buffer, sizeof buffer, 0);
        if (n <= 0) return;
        received.append(buffer, static_cast<size_t>(n));
    }
    const std::string headers = received.substr(0, headerEnd);
    const size_t bodySize = HeaderNumber(headers, "\ncontent-length:");
    size_t bodyReceived = received.size() - headerEnd - 4;
    const bool login = bodySize <= kLoginBodyLimit;
    if (headers.find("100-continue") != std::string::npos && !SendAll(connection, "HTTP/1.1 100 Continue\r\n\r\n")) return;
    if (!login) ++m_uploadsStarted;
    while (bodyReceived < bodySize) {
        if (m_stopping) return;
        const int n = recv(connection, buffer, sizeof buffer, 0);
        if (n <= 0) {
            if (!login) ++m_uploadsAbandoned;
            return;
        }
        bodyReceived += static_cast<size_t>(n);
        if (!login) Sleep(kTrickleMs);
    }
    if (login) {
        SendAll(connection, Reply("OK\r\n" + std::to_string(kPodcastId) + " slowshow Slow Show\r\n"));
    } else {
        ++m_uploadsCompleted;
        SendAll(connection, Reply("OK\r\n"));
    }
}
