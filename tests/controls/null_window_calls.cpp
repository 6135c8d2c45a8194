#include "null_window_calls.h"
#include <windows.h>
#include <cstring>

namespace test {

namespace {

int g_nullCalls = 0;

// The real function, for calls that name a window; the import slot itself is patched.
template <class Fn>
Fn Real(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), name)));
}

BOOL WINAPI WatchedRedrawWindow(HWND hWnd, const RECT* rect, HRGN region, UINT flags) {
    if (hWnd == nullptr) return ++g_nullCalls, FALSE;
    static const auto real = Real<decltype(&::RedrawWindow)>("RedrawWindow");
    return real(hWnd, rect, region, flags);
}
BOOL WINAPI WatchedInvalidateRect(HWND hWnd, const RECT* rect, BOOL erase) {
    if (hWnd == nullptr) return ++g_nullCalls, FALSE;
    static const auto real = Real<decltype(&::InvalidateRect)>("InvalidateRect");
    return real(hWnd, rect, erase);
}
BOOL WINAPI WatchedPostMessageW(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hWnd == nullptr) return ++g_nullCalls, FALSE;
    static const auto real = Real<decltype(&::PostMessageW)>("PostMessageW");
    return real(hWnd, msg, wParam, lParam);
}
UINT_PTR WINAPI WatchedSetTimer(HWND hWnd, UINT_PTR id, UINT ms, TIMERPROC proc) {
    if (hWnd == nullptr) return ++g_nullCalls, 0;
    static const auto real = Real<decltype(&::SetTimer)>("SetTimer");
    return real(hWnd, id, ms, proc);
}
BOOL WINAPI WatchedKillTimer(HWND hWnd, UINT_PTR id) {
    if (hWnd == nullptr) return ++g_nullCalls, FALSE;
    static const auto real = Real<decltype(&::KillTimer)>("KillTimer");
    return real(hWnd, id);
}

struct Watched {
    const char* name;
    void* replacement;
    bool patched;
};
Watched g_watched[] = {
    {"RedrawWindow", reinterpret_cast<void*>(&WatchedRedrawWindow), false},
    {"InvalidateRect", reinterpret_cast<void*>(&WatchedInvalidateRect), false},
    {"PostMessageW", reinterpret_cast<void*>(&WatchedPostMessageW), false},
    {"SetTimer", reinterpret_cast<void*>(&WatchedSetTimer), false},
    {"KillTimer", reinterpret_cast<void*>(&WatchedKillTimer), false},
};

// Import slots that the watcher changed, and what they held before.
struct PatchedSlot {
    void** slot;
    void* original;
};
PatchedSlot g_slots[sizeof g_watched / sizeof g_watched[0]];
int g_slotCount = 0;

void WriteSlot(void** slot, void* value) {
    DWORD old;
    ::VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
    *slot = value;
    ::VirtualProtect(slot, sizeof *slot, old, &old);
}

// Calls f(name, slot) for every function this program imports by name from user32.
template <class F>
void ForEachUser32Import(F f) {
    auto* base = reinterpret_cast<BYTE*>(::GetModuleHandleW(nullptr));
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name != 0; ++d) {
        if (_stricmp(reinterpret_cast<char*>(base + d->Name), "user32.dll") != 0) continue;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<void**>(base + d->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            f(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name, slots);
        }
    }
}

}  // namespace

NullWindowCalls::NullWindowCalls() {
    g_nullCalls = 0;
    m_wanted = sizeof g_watched / sizeof g_watched[0];
    ForEachUser32Import([this](const char* name, void** slot) {
        for (Watched& w : g_watched)
            if (std::strcmp(name, w.name) == 0 && !w.patched) {
                g_slots[g_slotCount++] = {slot, *slot};
                WriteSlot(slot, w.replacement);
                w.patched = true;
                ++m_patched;
            }
    });
}

NullWindowCalls::~NullWindowCalls() {
    for (int i = 0; i < g_slotCount; ++i) WriteSlot(g_slots[i].slot, g_slots[i].original);
    g_slotCount = 0;
    for (Watched& w : g_watched) w.patched = false;
}

int NullWindowCalls::Count() const {
    return g_nullCalls;
}

}  // namespace test
