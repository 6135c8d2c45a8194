// crash_reporter.exe, started by the recorder's crash handler from the program's folder as
//     crash_reporter.exe "Quillbank recorder" 2.8 "<dump path>"
// It runs without the recorder's crash guard: that guard's handler would write the recorder's
// dump over the one this program is about to send.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <curl/curl.h>
#include <vector>
#include "framework/app_module.h"
#include "report_address.h"
#include "reporter_args.h"
#include "reporter_dlg.h"
#include "service/request/wiping_allocator.h"

namespace {

constexpr wchar_t kCaption[] = L"Crash reporter";

std::vector<std::wstring> CommandLineArguments() {
    std::vector<std::wstring> arguments;
    int count = 0;
    if (wchar_t** list = CommandLineToArgvW(GetCommandLineW(), &count)) {
        arguments.assign(list, list + count);
        LocalFree(list);
    }
    return arguments;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    const ReporterArguments arguments = ParseReporterArguments(CommandLineArguments());
    if (!arguments.ok) {
        MessageBoxW(nullptr, arguments.error.c_str(), kCaption, MB_ICONERROR | MB_OK);
        return 2;
    }
    if (GetFileAttributesW(arguments.dumpPath.c_str()) == INVALID_FILE_ATTRIBUTES) {
        const std::wstring text = L"There is no crash dump at\n" + arguments.dumpPath + L"\nso there is nothing to send.";
        MessageBoxW(nullptr, text.c_str(), kCaption, MB_ICONERROR | MB_OK);
        return 2;
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    // The dump holds the recorder's memory, and passes through libcurl's buffers on its way.
    if (InitCurlWithWipingAllocator(CURL_GLOBAL_ALL) != CURLE_OK) {
        MessageBoxW(nullptr, L"The crash report cannot be sent: the HTTP library could not be initialised.", kCaption,
                    MB_ICONERROR | MB_OK);
        return 1;
    }
    g_module.Init(instance);
    CrashReport report;
    report.address = CrashReportAddress();
    report.product = arguments.product;
    report.version = arguments.version;
    report.dumpPath = arguments.dumpPath;
    CReporterDlg dialog(report);
    const INT_PTR result = dialog.DoModal(nullptr);
    g_module.Term();
    curl_global_cleanup();
    return result == CReporterDlg::kSent || result == CReporterDlg::kDeclined ? 0 : 1;
}
