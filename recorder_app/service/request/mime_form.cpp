#include "mime_form.h"
#include "text_encoding.h"
#include "upload_file.h"

MimeTransfer::~MimeTransfer() {
    if (handle != nullptr) curl_easy_cleanup(handle);
    curl_mime_free(form);
}

bool MimeTransfer::StartForm() {
    form = curl_mime_init(handle);
    return form != nullptr;
}

bool MimeTransfer::AddText(const char* name, const std::string& value) {
    curl_mimepart* part = curl_mime_addpart(form);
    return part != nullptr && curl_mime_name(part, name) == CURLE_OK &&
           curl_mime_data(part, value.data(), value.size()) == CURLE_OK;
}

bool MimeTransfer::AddFile(const char* name, UploadFile* file, const std::string& fileName, const char* type) {
    curl_mimepart* part = curl_mime_addpart(form);
    return part != nullptr && curl_mime_name(part, name) == CURLE_OK &&
           curl_mime_data_cb(part, static_cast<curl_off_t>(file->Size()), &UploadFile::Read, &UploadFile::Seek,
                             nullptr, file) == CURLE_OK &&
           curl_mime_filename(part, fileName.c_str()) == CURLE_OK && curl_mime_type(part, type) == CURLE_OK;
}

std::wstring CurlErrorText(CURLcode code) { return FromAnsi(curl_easy_strerror(code)); }
