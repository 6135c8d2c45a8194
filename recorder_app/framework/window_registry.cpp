#include "window_impl.h"

namespace framework {
namespace {
const wchar_t kObjectProperty[] = L"Quillbank.WindowObject";
}

void AttachObject(HWND hWnd, void* object) {
    ::SetPropW(hWnd, kObjectProperty, object);
}

void* AttachedObject(HWND hWnd) {
    return ::GetPropW(hWnd, kObjectProperty);
}

void DetachObject(HWND hWnd) {
    ::RemovePropW(hWnd, kObjectProperty);
}

}  // namespace framework
