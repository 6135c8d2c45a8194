#include "test_support.h"
#include <winternl.h>

namespace test {

HostWindow::~HostWindow() {
    if (IsWindow()) ::DestroyWindow(m_hWnd);
}

namespace {
HWND Stage() {
    static HWND stage = ::CreateWindowExW(0, L"STATIC", L"control tests", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                                          40, 40, 640, 400, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    return stage;
}
}  // namespace

HWND HostWindow::CreateHost(int width, int height) {
    return Create(Stage(), RECT{0, 0, width, height}, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN);
}

LRESULT HostWindow::OnLogged(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&) {
    m_log->push_back({m_hWnd, msg, wParam, lParam});
    return 0;
}

void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void MovePointerTo(int x, int y) {
    ::SetCursorPos(x, y);
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_MOVE;  // a zero move makes the window under it see the pointer
    ::SendInput(1, &input, sizeof input);
}

Capture::Capture(HWND window, int width, int height, CaptureFrom from) : m_width(width), m_height(height) {
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    m_dc = ::CreateCompatibleDC(nullptr);
    m_dib = ::CreateDIBSection(m_dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    m_old = ::SelectObject(m_dc, m_dib);
    m_bits = static_cast<const uint32_t*>(bits);
    if (from == CaptureFrom::Print) {
        ::SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(m_dc), PRF_CLIENT);
    } else {
        HDC windowDc = ::GetDC(window);
        ::BitBlt(m_dc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
        ::ReleaseDC(window, windowDc);
    }
    ::GdiFlush();
}

Capture::~Capture() {
    ::SelectObject(m_dc, m_old);
    ::DeleteObject(m_dib);
    ::DeleteDC(m_dc);
}

uint32_t Capture::At(int x, int y) const {
    return m_bits[static_cast<size_t>(y) * m_width + x] & 0xFFFFFF;
}

BitmapPixels ReadBitmapResource(UINT id) {
    BitmapPixels out;
    HBITMAP bitmap = ::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
    if (bitmap == nullptr) return out;
    BITMAP info{};
    ::GetObjectW(bitmap, sizeof info, &info);
    out.width = info.bmWidth;
    out.height = info.bmHeight;
    out.rgb.resize(static_cast<size_t>(out.width) * out.height);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), out.width, -out.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = ::GetDC(nullptr);
    ::GetDIBits(screen, bitmap, 0, out.height, out.rgb.data(), &bi, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, screen);
    ::DeleteObject(bitmap);
    for (auto& p : out.rgb) p &= 0xFFFFFF;
    return out;
}

namespace {

// Wine answers GetGuiResources with 0; its GDI handle table, reachable from the process
// environment block, has one 24-byte entry per handle with a non-zero type when in use.
int CountWineGdiHandles() {
    PROCESS_BASIC_INFORMATION info{};
    if (::NtQueryInformationProcess(::GetCurrentProcess(), ProcessBasicInformation, &info, sizeof info,
                                    nullptr) != 0)
        return -1;
    constexpr size_t kGdiSharedHandleTable = sizeof(void*) == 4 ? 0x94 : 0xF8;
    const BYTE* peb = reinterpret_cast<const BYTE*>(info.PebBaseAddress);
    const BYTE* table = *reinterpret_cast<const BYTE* const*>(peb + kGdiSharedHandleTable);
    if (table == nullptr) return -1;
    constexpr int kEntries = 0x10000, kEntrySize = 24, kTypeOffset = 14;
    MEMORY_BASIC_INFORMATION mbi{};
    if (::VirtualQuery(table, &mbi, sizeof mbi) == 0 || mbi.State != MEM_COMMIT) return -1;
    int used = 0;
    for (int i = 0; i < kEntries; ++i)
        if (table[i * kEntrySize + kTypeOffset] != 0) ++used;
    return used;
}

}  // namespace

int GdiObjectCount() {
    const DWORD counted = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted != 0) return static_cast<int>(counted);
    return CountWineGdiHandles();
}

}  // namespace test
