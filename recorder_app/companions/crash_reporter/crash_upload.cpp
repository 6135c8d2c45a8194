#include <curl/curl.h>
#include "runtime/folders.h"
#include "crash_upload.h"
#include <cstdio>
#include "runtime/version.h"
#include "service/request/mime_form.h"
#include "service/request/service_messages.h"
#include "service/request/service_settings.h"
#include "service/request/text_encoding.h"
#include "service/request/transfer_loop.h"
#include "service/request/upload_file.h"

namespace {

// The field names every minidump collector knows.
constexpr char kDumpPart[] = "upload_file_minidump";
constexpr char kProductPart[] = "prod";
constexpr char kVersionPart[] = "ver";
constexpr char kCommentsPart[] = "comments";
constexpr char kDumpContentType[] = "application/octet-stream";

std::string UserAgent() {
    char agent[64];
    std::snprintf(agent, sizeof agent, "QuillbankCrashReporter/%d.%02d", kVersionMajor, kVersionMinor);
    return agent;
}

bool BuildForm(MimeTransfer* transfer, const CrashReport& report, UploadFile* dump) {
    return transfer->StartForm() &&
           transfer->AddFile(kDumpPart, dump, ToUtf8(FileNameOf(report.dumpPath)), kDumpContentType) &&
           transfer->AddText(kProductPart, ToUtf8(report.product)) &&
           transfer->AddText(kVersionPart, ToUtf8(report.version)) &&
           transfer->AddText(kCommentsPart, ToUtf8(report.comments));
}

}  // namespace

CrashUpload::CrashUpload(const CrashReport& report, HWND notifyWnd) : m_report(report), m_notifyWnd(notifyWnd) {}

bool CrashUpload::Perform() {
    m_error.clear();
    // libcurl is C: nothing may be thrown through it, and nothing is thrown to the caller.
    try {
        UploadFile dump;
        if (!dump.Open(m_report.dumpPath)) {
            m_error = L"the crash dump cannot be read";
            return false;
        }
        MimeTransfer transfer;
        if (transfer.handle == nullptr || !BuildForm(&transfer, m_report, &dump)) {
            m_error = CurlErrorText(CURLE_OUT_OF_MEMORY);
            return false;
        }
        const std::string address = ToAnsi(m_report.address);
        const std::string agent = UserAgent();
        CURL* curl = transfer.handle;
        curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
        curl_easy_setopt(curl, CURLOPT_USERAGENT, agent.c_str());
        curl_easy_setopt(curl, CURLOPT_MIMEPOST, transfer.form);
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &CrashUpload::IgnoreReply);
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &CrashUpload::OnProgress);
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kStallSeconds);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);  // bytes per second
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
        ApplyProxy(g_settings, curl);

        const CURLcode result = PerformTransfer(curl);
        if (result != CURLE_OK) {
            m_error = dump.ReadFailed() ? L"the crash dump cannot be read" : CurlErrorText(result);
            return false;
        }
        long status = 0;
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
        if (status < 200 || status > 299) {
            m_error = L"the collector answered with HTTP status " + std::to_wstring(status);
            return false;
        }
        return true;
    } catch (...) {
        m_error = CurlErrorText(CURLE_OUT_OF_MEMORY);
        return false;
    }
}

DWORD WINAPI CrashUpload::RunUploadThread(void* context) {
    auto* upload = static_cast<CrashUpload*>(context);
    const bool sent = upload->Perform();
    if (upload->m_notifyWnd != nullptr)
        SendMessageW(upload->m_notifyWnd, WM_REQUEST_DONE, sent ? 1 : 0, reinterpret_cast<LPARAM>(upload));
    return sent ? 1 : 0;
}

int CrashUpload::OnProgress(void* context, int64_t, int64_t, int64_t uploadTotal, int64_t uploaded) {
    static_assert(sizeof(curl_off_t) == sizeof(int64_t), "libcurl's counts are 64-bit");
    auto* upload = static_cast<CrashUpload*>(context);
    if (upload->m_notifyWnd != nullptr)
        upload->m_progress.Report(upload->m_notifyWnd, static_cast<LPARAM>(static_cast<int32_t>(uploaded)),
                                  uploadTotal > 0 && uploaded >= uploadTotal);
    return 0;
}

size_t CrashUpload::IgnoreReply(char*, size_t size, size_t count, void*) { return size * count; }
