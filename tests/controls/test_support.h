// Shared pieces of the control tests: a host window that logs what the controls post or
// send to it, rendering through WM_PRINTCLIENT into a 32-bit DIB, message pumping, and a
// count of the process's GDI objects.
#pragma once
#include <windows.h>
#include <cstdint>
#include <vector>
#include "framework/message_map.h"
#include "framework/window_impl.h"

namespace test {

struct LoggedMessage {
    HWND to;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// A window that logs the messages of interest; its log may be shared with a second host
// (the time line's linked window) to see the order of arrival. Hosts are children of one
// visible stage window that lives as long as the process: Wine takes two seconds to
// destroy a visible top-level window, but none to end a process that still has one.
class HostWindow : public CWindowImpl<HostWindow> {
public:
    explicit HostWindow(std::vector<LoggedMessage>* log = nullptr) : m_log(log ? log : &m_ownLog) {}
    ~HostWindow() override;
    HWND CreateHost(int width = 400, int height = 200);
    const std::vector<LoggedMessage>& Log() const { return *m_log; }
    void ClearLog() { m_log->clear(); }

    BEGIN_MSG_MAP(HostWindow)
        MESSAGE_HANDLER(WM_APP + 4, OnLogged)
        MESSAGE_HANDLER(WM_APP + 5, OnLogged)
        MESSAGE_HANDLER(WM_COMMAND, OnLogged)
    END_MSG_MAP()

private:
    LRESULT OnLogged(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&);
    std::vector<LoggedMessage> m_ownLog;
    std::vector<LoggedMessage>* m_log;
};

// Dispatches every message waiting for this thread.
void Pump();

// Pumps messages until done() holds or about timeoutMs passed; returns done().
template <class Done>
bool PumpUntil(Done done, DWORD timeoutMs = 2000) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        Pump();
    }
    return true;
}

// Moves the real mouse pointer to screen point (x, y), as a user would.
void MovePointerTo(int x, int y);

// Where a capture takes a window's pixels from: what it draws when asked (WM_PRINTCLIENT),
// or what it shows, read back from its own device context.
enum class CaptureFrom { Print, Screen };

// What a window draws, or shows.
class Capture {
public:
    Capture(HWND window, int width, int height, CaptureFrom from = CaptureFrom::Print);
    ~Capture();
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;
    // 0xRRGGBB of a pixel.
    uint32_t At(int x, int y) const;
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    HDC Dc() const { return m_dc; }

private:
    int m_width, m_height;
    HDC m_dc = nullptr;
    HBITMAP m_dib = nullptr;
    HGDIOBJ m_old = nullptr;
    const uint32_t* m_bits = nullptr;
};

// A bitmap resource's pixels as 0xRRGGBB, or empty when it is missing.
struct BitmapPixels {
    int width = 0, height = 0;
    std::vector<uint32_t> rgb;
    uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};
BitmapPixels ReadBitmapResource(UINT id);

// GDI objects this process holds; -1 when neither way of counting works.
int GdiObjectCount();

// Colour of a COLORREF (0x00BBGGRR) as 0xRRGGBB, to compare with captured pixels.
constexpr uint32_t Rgb(COLORREF c) {
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

}  // namespace test
