// One GET transfer of the update procedure (the query and the archive), collected in memory.
#pragma once
#include <windows.h>
#include <atomic>
#include <string>

// What the caller may change while a transfer runs on another thread: the window that is shown
// the progress (null: none) and whether the transfer is to end at once.
struct TransferWatch {
    std::atomic<HWND> progressWnd{nullptr};
    std::atomic<bool> cancelled{false};
};

// Largest archive held in memory: a body that goes on beyond this ends the transfer with a
// failure, rather than the process running out of its 32-bit address space.
constexpr size_t kMaxArchiveBytes = 256u << 20;
// The query's reply is a few short lines.
constexpr size_t kMaxQueryReplyBytes = 64u << 10;

// GETs the address into body (replacing its content). A transfer error, a status other than
// 200, a body larger than maxBytes or a cancel throws std::runtime_error with libcurl's text
// of the failure (ANSI code page). While watch->progressWnd is set, it is sent
// WM_TRANSFER_PROGRESS with the bytes received so far.
void HttpGet(const std::wstring& address, std::string* body, size_t maxBytes, TransferWatch* watch);
