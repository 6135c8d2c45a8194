// A libcurl transfer that posts a multipart form: the handle and form owned together, text
// parts, and a file part streamed from an UploadFile with a stated size (so the body has a
// Content-Length and libcurl can rewind the file to send it again).
#pragma once
#include <curl/curl.h>
#include <string>

class UploadFile;

struct MimeTransfer {
    MimeTransfer() = default;
    MimeTransfer(const MimeTransfer&) = delete;
    MimeTransfer& operator=(const MimeTransfer&) = delete;
    ~MimeTransfer();

    // Makes the empty form; false when libcurl has no memory for it.
    bool StartForm();
    bool AddText(const char* name, const std::string& value);
    bool AddFile(const char* name, UploadFile* file, const std::string& fileName, const char* type);

    CURL* handle = curl_easy_init();
    curl_mime* form = nullptr;
};

// libcurl's text for a result code.
std::wstring CurlErrorText(CURLcode code);
