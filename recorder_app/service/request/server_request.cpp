#include <curl/curl.h>
#include "server_request.h"
#include "runtime/folders.h"
#include <cstdio>
#include <exception>
#include "form_values.h"
#include "log_escape.h"
#include "mime_form.h"
#include "reply_grammar.h"
#include "runtime/log_file.h"
#include "runtime/version.h"
#include "runtime/wipe_text.h"
#include "service_messages.h"
#include "service_settings.h"
#include "text_encoding.h"
#include "transfer_loop.h"
#include "upload_file.h"

namespace {

constexpr long kUploadBufferBytes = 512 * 1024;
// A login holds up the interface thread: a service that accepts the connection and never
// answers must not freeze the window for good. The connection must be made, and the exchange
// must move, within this many seconds.
constexpr long kLoginStallSeconds = 30;

std::string UserAgent() {
    char agent[64];
    std::snprintf(agent, sizeof agent, "QuillbankRecorder/%d.%02d", kVersionMajor, kVersionMinor);
    return agent;
}

// The text parts in their order, then for a publication the file, streamed from its handle.
// The form is built with libcurl's MIME interface rather than curl_formadd, whose streamed
// parts take no seek callback: libcurl could then never rewind the file to send the body
// again. The parts come out on the wire exactly as curl_formadd would write them: text parts
// without a type, the file part with its name and type. Every size is stated, so the body has
// a Content-Length and is never sent chunked (curl_formadd took an empty file's size as
// unknown).
bool AddFormParts(MimeTransfer* transfer, const std::vector<FormTextPart>& parts, UploadFile* file,
                  const std::string& fileName) {
    if (!transfer->StartForm()) return false;
    for (const FormTextPart& part : parts)
        if (!transfer->AddText(part.name.c_str(), part.value)) return false;
    return file == nullptr || transfer->AddFile(kAudioFilePart, file, fileName, kAudioContentType);
}

}  // namespace

CServerRequest::CServerRequest(HWND notifyWnd, const std::wstring& login, const std::wstring& password, int type)
    : m_notifyWnd(notifyWnd), m_login(login), m_password(password), m_type(type) {}

CServerRequest::CServerRequest(HWND notifyWnd, const std::wstring& login, const std::wstring& password, int type,
                               int32_t podcastId, const std::wstring& title, const std::wstring& description,
                               const std::wstring& filePath, const std::set<uint32_t>& spots)
    : m_notifyWnd(notifyWnd),
      m_login(login),
      m_password(password),
      m_description(description),
      m_podcastId(podcastId),
      m_title(title),
      m_filePath(filePath),
      m_type(type),
      m_spots(spots) {}

CServerRequest::~CServerRequest() { WipeText(&m_password); }

bool CServerRequest::Succeeded() const {
    std::lock_guard<std::mutex> lock(m_resultLock);
    return m_ok;
}

std::wstring CServerRequest::GetError() const {
    std::lock_guard<std::mutex> lock(m_resultLock);
    return m_error;
}

std::vector<PodcastEntry> CServerRequest::GetPodcasts() const {
    std::lock_guard<std::mutex> lock(m_resultLock);
    return m_podcasts;
}

void CServerRequest::Abandon() {
    m_notifyWnd.store(nullptr);
    m_abandoned.store(true);
}

bool CServerRequest::Fail(const std::wstring& error) {
    std::lock_guard<std::mutex> lock(m_resultLock);
    m_ok = false;
    m_error = error;
    return false;
}

bool CServerRequest::Perform() {
    {
        std::lock_guard<std::mutex> lock(m_resultLock);
        m_ok = true;
        m_error = L"No Error";
    }
    m_reply.clear();
    m_replyTooLarge = false;
    m_progress = ProgressPacer();
    // libcurl is C: nothing may be thrown through it, and nothing is thrown to the caller.
    try {
        const bool publish = m_type == REQUEST_PUBLISH;
        const std::string url = ToAnsi(ServiceAddress(g_settings, L"/publish.php"));
        const std::string userAgent = UserAgent();
        RequestFormInput input;
        input.type = m_type;
        input.login = ToUtf8(m_login);
        input.podcastId = m_podcastId;
        input.title = ToUtf8(m_title);
        input.description = ToUtf8(m_description);
        input.filePath = ToUtf8(m_filePath);
        input.spots = m_spots;

        UploadFile file;
        const bool fileOpen = publish && file.Open(m_filePath);
        if (fileOpen) input.fileSize = file.Size();
        // The service takes the upload's name in the ANSI code page, as libcurl gave it when
        // it opened the file by its ANSI path; the full path travels as UTF-8 beside it.
        const std::string fileName = ToAnsi(FileNameOf(m_filePath));

        g_log.Print(L"Server request started");
        // A file that cannot be read can never be uploaded: fail before sending anything.
        if (publish && !fileOpen) return Fail(CurlErrorText(CURLE_READ_ERROR));

        MimeTransfer transfer;
        if (transfer.handle == nullptr) return Fail(CurlErrorText(CURLE_FAILED_INIT));
        CURL* curl = transfer.handle;
        curl_easy_setopt(curl, CURLOPT_USERAGENT, userAgent.c_str());
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &CServerRequest::OnReplyData);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);

        // The password's UTF-8 form exists in this one buffer, made in place and wiped when the
        // parts go; libcurl takes its own copy into the form.
        std::vector<FormTextPart> parts = BuildTextParts(input);
        AssignUtf8(m_password, &PasswordPart(&parts)->value);
        if (!AddFormParts(&transfer, parts, publish ? &file : nullptr, fileName))
            return Fail(CurlErrorText(CURLE_OUT_OF_MEMORY));
        if (publish) {
            // Fewer, larger reads and sends: each round of libcurl's loop is costly under Wine.
            curl_easy_setopt(curl, CURLOPT_UPLOAD_BUFFERSIZE, kUploadBufferBytes);
            curl_easy_setopt(curl, CURLOPT_PROGRESSFUNCTION, &CServerRequest::OnProgress);
            curl_easy_setopt(curl, CURLOPT_PROGRESSDATA, this);
            curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
        } else {
            curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 1L);
            curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, kLoginStallSeconds);
            curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);  // bytes per second
            curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, kLoginStallSeconds);
        }
        curl_easy_setopt(curl, CURLOPT_MIMEPOST, transfer.form);
        ApplyProxy(g_settings, curl);

        const CURLcode result = PerformTransfer(curl);
        // The service has taken the episode once its reply's first line says so: a reply cut
        // short after that line must not make the user publish the episode twice. A login's
        // list of podcasts, cut short, stays a failure.
        if (publish && (result == CURLE_PARTIAL_FILE || result == CURLE_RECV_ERROR) &&
            WholeFirstLineSaysOk(m_reply)) {
            g_log.Print(L"!!! The reply was cut short after its first line (%s)", CurlErrorText(result).c_str());
            return ParseReply();
        }
        if (result != CURLE_OK) {
            if (m_replyTooLarge) return Fail(L"Server reply is too large");
            if (file.ReadFailed()) return Fail(CurlErrorText(CURLE_READ_ERROR));
            return Fail(CurlErrorText(result));
        }
        // A log line holds a few thousand characters: convert no more than fits.
        g_log.Print(L"Server response: %s", EscapeForLog(FromUtf8Prefix(m_reply, CLogFile::kBufferChars)).c_str());
        return ParseReply();
    } catch (const std::exception& error) {
        return Fail(FromAnsi(error.what()));
    } catch (...) {
        return Fail(CurlErrorText(CURLE_OUT_OF_MEMORY));
    }
}

bool CServerRequest::ParseReply() {
    const ParsedReply parsed = ParseServiceReply(m_reply);
    switch (parsed.outcome) {
        case ReplyOutcome::Nothing:
            return Fail(L"Server returned nothing");
        case ReplyOutcome::Failed:
            return Fail(FromUtf8Prefix(parsed.failMessage, kMaxErrorBytes));
        case ReplyOutcome::Ok:
            break;
    }
    std::vector<PodcastEntry> podcasts;
    for (const ReplyPodcastLine& line : parsed.podcasts)
        podcasts.push_back(PodcastEntry{line.id, FromUtf8(line.name), FromUtf8(line.siteName)});
    std::lock_guard<std::mutex> lock(m_resultLock);
    m_podcasts = std::move(podcasts);
    return true;
}

size_t CServerRequest::OnReplyData(char* data, size_t size, size_t count, void* context) {
    auto* request = static_cast<CServerRequest*>(context);
    const size_t bytes = size * count;
    if (request->m_reply.size() + bytes > kMaxReplyBytes) {
        request->m_replyTooLarge = true;
        return 0;  // ends the transfer
    }
    try {
        request->m_reply.append(data, bytes);
    } catch (...) {
        return 0;
    }
    return bytes;
}

int CServerRequest::OnProgress(void* context, double, double, double uploadTotal, double uploaded) {
    auto* request = static_cast<CServerRequest*>(context);
    if (request->m_abandoned.load()) return 1;  // ends the transfer
    const LPARAM position = static_cast<LPARAM>(static_cast<int32_t>(static_cast<int64_t>(uploaded)));
    if (const HWND window = request->m_notifyWnd.load())
        request->m_progress.Report(window, position, uploadTotal > 0 && uploaded >= uploadTotal);
    return request->m_abandoned.load() ? 1 : 0;
}
