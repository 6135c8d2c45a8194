#include <unordered_map>
#include "window_impl.h"

namespace framework {
namespace {

// The object of each of our windows, kept in the process rather than as a window property:
// under Wine every property lookup is a request to its server, and one is made for every
// message a window receives.
SRWLOCK g_lock = SRWLOCK_INIT;

std::unordered_map<HWND, void*>& Objects() {
    static std::unordered_map<HWND, void*> objects;
    return objects;
}

}  // namespace

void AttachObject(HWND hWnd, void* object) {
    ::AcquireSRWLockExclusive(&g_lock);
    Objects()[hWnd] = object;
    ::ReleaseSRWLockExclusive(&g_lock);
}

void* AttachedObject(HWND hWnd) {
    ::AcquireSRWLockShared(&g_lock);
    const auto found = Objects().find(hWnd);
    void* object = found != Objects().end() ? found->second : nullptr;
    ::ReleaseSRWLockShared(&g_lock);
    return object;
}

void DetachObject(HWND hWnd) {
    ::AcquireSRWLockExclusive(&g_lock);
    Objects().erase(hWnd);
    ::ReleaseSRWLockExclusive(&g_lock);
}

}  // namespace framework
