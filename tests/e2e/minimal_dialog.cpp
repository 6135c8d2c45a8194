// The second floor for start-up: a dialog from a template with the recorder's manifest, which
// first loads every system library the recorder's import table names (generated from the
// built recorder.exe), then shows itself. Beside the minimal window it separates what the
// libraries the recorder links cost at start from what the recorder's own work costs.
#include <windows.h>
#include "first_paint.h"
#include "minimal_dialog_res.h"
#include "recorder_imports.h"

namespace {

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) != IDCANCEL) return FALSE;
        DestroyWindow(dialog);
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(dialog);
        return TRUE;
    case WM_DESTROY:
        PostQuitMessage(0);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    for (const wchar_t* library : kRecorderImports) LoadLibraryW(library);
    HWND dialog = CreateDialogW(instance, MAKEINTRESOURCEW(IDD_MINIMAL), nullptr, DialogProc);
    if (dialog == nullptr) return 1;
    ShowWindow(dialog, showCommand);
    UpdateWindow(dialog);
    SignalFirstPaint();
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(dialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
