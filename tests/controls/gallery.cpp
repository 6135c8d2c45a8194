// Entry point of the control gallery. With --close it shows the window, paints it once
// and exits, so a test can see that every control comes up.
#include <windows.h>
#include <commctrl.h>
#include <cwchar>
#include "framework/app_module.h"
#include "gallery_window.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int) {
    g_module.Init(instance);
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&icc);
    CGalleryWindow gallery;
    if (gallery.CreateGallery() == nullptr) return 1;
    ::UpdateWindow(gallery);
    if (wcsstr(commandLine, L"--close") != nullptr) ::PostMessageW(gallery, WM_CLOSE, 0, 0);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}
