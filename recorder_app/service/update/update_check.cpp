#include "update_check.h"
#include <exception>
#include "runtime/app_globals.h"
#include "runtime/crash_guard.h"
#include "runtime/log_file.h"
#include "runtime/text_format.h"
#include "runtime/version.h"
#include "service/request/reply_grammar.h"
#include "service/request/service_settings.h"
#include "service/request/text_encoding.h"
#include "update_dlg.h"
#include "update_download.h"
#include "update_reply.h"
#include "update_transfer.h"

void StartUpdateCheck(HWND mainWnd) {
    HANDLE thread = CreateThread(nullptr, 0, GuardedThread<&RunUpdateCheck>, mainWnd, 0, nullptr);
    if (thread != nullptr) CloseHandle(thread);
}

std::wstring UpdateQueryAddress(const CSettings& settings, int versionMajor, int versionMinor) {
    wchar_t address[512];
    FormatTruncated(address, 512, L"%s?ver=%d.%d", ServiceAddress(settings, L"/recorder-update.php").c_str(),
                    versionMajor, versionMinor);
    return address;
}

bool Check(const std::wstring& address, CUpdateInfo* info) {
    try {
        TransferWatch quiet;  // no progress window: the query shows nothing
        std::string body;
        HttpGet(address, &body, kMaxQueryReplyBytes, &quiet);
        body.erase(0, ByteOrderMarkBytes(body));
        const UpdateReply reply = ParseUpdateReply(FromAnsi(body));
        if (!reply.error.empty()) return false;
        info->m_major = reply.major;
        info->m_minor = reply.minor;
        info->m_fileLocation = reply.fileLocation;
        info->m_fileSize = reply.fileSize;
        info->m_mustUpdate = reply.mustUpdate ? 1 : 0;
        info->m_signedOffer = reply.offer;
        return IsNewerVersion(reply.major, reply.minor, kVersionMajor, kVersionMinor);
    } catch (...) {
        return false;
    }
}

DWORD RunUpdateCheck(void* argument) {
    const HWND mainWnd = static_cast<HWND>(argument);
    try {
        CUpdateInfo info;
        if (!Check(UpdateQueryAddress(g_settings, kVersionMajor, kVersionMinor), &info)) return 0;
        if (info.m_mustUpdate) {
            if (MessageBoxW(mainWnd,
                            L"An update for this software is available. Do you want to upgrade it now?\n"
                            L"Note: this is a required update, the program will exit if you decline the update "
                            L"process.",
                            L"Question", MB_ICONQUESTION | MB_YESNO) != IDYES) {
                PostMessageW(mainWnd, WM_CLOSE, 0, 0);
                return 0;
            }
        } else if (MessageBoxW(mainWnd, L"An update for this software available. Do you want to upgrade it now?",
                               L"Question", MB_ICONQUESTION | MB_YESNO) != IDYES) {
            return 0;
        }
        CUpdateDlg dialog(&info);
        if (dialog.Run(mainWnd) != 1) return 0;
        MessageBoxW(mainWnd, L"The application will restart now, in order to complete the update process.",
                    L"Information", MB_ICONINFORMATION);
        std::wstring reason;
        if (!StartPatcher(g_appDir, &reason)) {
            // Closing now would end the program with nothing installed: it goes on as it is.
            g_log.Print(L"!!! The updater could not be started: %s", reason.c_str());
            const std::wstring text =
                L"The update could not be completed: the updater patcher.exe could not be started.\n" + reason +
                L"\n\nThe program goes on in its current version, and the update will be offered again at its "
                L"next start.";
            MessageBoxW(mainWnd, text.c_str(), L"Update error", MB_ICONERROR);
            return 0;
        }
        // The main window closes as it does for the user: a recording is stopped and kept.
        PostMessageW(mainWnd, WM_CLOSE, 0, 0);
    } catch (const std::exception& error) {
        const std::wstring text = L"Error occured, while checking for update:" + FromAnsi(error.what());
        MessageBoxW(mainWnd, text.c_str(), L"Update error", MB_ICONWARNING);
    } catch (...) {
        MessageBoxW(mainWnd, L"Error occured, while checking for update", L"Update error", MB_ICONWARNING);
    }
    return 0;
}
