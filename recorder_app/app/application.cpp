#include "application.h"
#include <commctrl.h>
#include <shlwapi.h>
#include <ctime>
#include <memory>
#include <curl/curl.h>
#include "app/crash/crash_handler.h"
#include "app/main_window/main_dlg.h"
#include "controls/bitmap_button.h"
#include "framework/app_module.h"
#include "framework/message_loop.h"
#include "runtime/app_globals.h"
#include "runtime/crash_guard.h"
#include "runtime/folders.h"
#include "runtime/log_file.h"
#include "runtime/version.h"
#include "service/request/wiping_allocator.h"
#include "service/update/update_check.h"
#include "startup_timeline.h"

namespace {

void OpenLog() {
    const std::wstring path = LogPath(kRecorderLogName);
    if (!path.empty()) g_log.Open(path);
}

void PrintHeader() {
    const wchar_t* rule = L"---------------------------------------";
    g_log.Print(L"%s", rule);
    g_log.Print(L"Quillbank recorder application v. %d.%02d", kVersionMajor, kVersionMinor);
    g_log.Print(L"%s", rule);

    wchar_t now[128] = L"";
    const time_t seconds = time(nullptr);
    if (const tm* local = localtime(&seconds)) wcsftime(now, 128, L"%Y-%m-%d %H-%M-%S", local);
    g_log.Print(L"Start datetime: %s", now);
}

void SetApplicationDirectory() {
    g_appDir = ProgramFolder();
    SetCurrentDirectoryW(g_appDir.c_str());
    g_log.Print(L"Application directory: %s", g_appDir.c_str());
}

}  // namespace

int RunApplication(HINSTANCE instance, int showCommand) {
    InstallCrashBackstop(&HandleCrash);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    MarkStartupStep(L"common controls");
    OpenLog();
    PrintHeader();
    SetApplicationDirectory();
    MarkStartupStep(L"log opened");

    g_log.Print(L"Starting GUI...");
    g_module.Init(instance);
    CMessageLoop loop;
    g_module.AddMessageLoop(&loop);

    auto dialog = std::make_unique<CMainDlg>();
    CBitmapButton::RegisterWindowClass();  // the main dialog's template names it
    if (dialog->Create(nullptr) == nullptr) {
        g_log.Print(L"!!! Main dialog creation failed!");
        dialog.reset();
        g_module.RemoveMessageLoop();
        g_module.Term();
        return 0;
    }
    MarkStartupStep(L"main dialog created");
    ShowWindow(*dialog, showCommand);
    g_mainWnd = *dialog;
    MarkStartupStep(L"main dialog shown");

    // libcurl's start (Winsock and the security packages) is a noticeable part of the
    // program's start, and nothing needs it before the window is up: it runs once the
    // window is drawn, and the update check, its first user, follows it.
    UpdateWindow(*dialog);  // sends the first WM_PAINT and returns once it is handled
    MarkFirstPaint();
    // Before any message is handled, so the user finds everything in place.
    dialog->FinishStart();
    // Before the update check, which may close the program to install itself.
    dialog->OfferTakeRecovery();
    if (InitCurlWithWipingAllocator(CURL_GLOBAL_ALL) != CURLE_OK) {
        MessageBoxW(nullptr, L"Curl library initialization failed. Application will exit now",
                    L"Error", MB_ICONERROR);
        g_log.Print(L"!!! Curl library initialization failed.");
        g_mainWnd = nullptr;
        dialog->DestroyWindow();
        dialog.reset();
        g_module.RemoveMessageLoop();
        g_module.Term();
        return 0;
    }
    MarkStartupStep(L"network library started");
    StartUpdateCheck(*dialog);

    loop.Run();

    g_module.RemoveMessageLoop();
    g_module.Term();
    g_log.Print(L"Application finished.");
    dialog.reset();
    return 0;
}
