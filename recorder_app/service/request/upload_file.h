// The file part of a publication, streamed to libcurl from a handle opened with the UTF-16
// path, so that any folder name works and the file is never held in memory.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <string>

class UploadFile {
public:
    UploadFile() = default;
    UploadFile(const UploadFile&) = delete;
    UploadFile& operator=(const UploadFile&) = delete;
    ~UploadFile();

    // Opens for reading while others may go on reading or writing it; false if it cannot.
    bool Open(const std::wstring& path);
    // Size at opening; exactly this many bytes are sent.
    uint64_t Size() const { return m_size; }
    // The read went wrong or the file shrank under the upload.
    bool ReadFailed() const { return m_readFailed; }

    // libcurl's read callback; userdata is the UploadFile.
    static size_t Read(char* buffer, size_t size, size_t count, void* userdata);
    // libcurl's seek callback (offset is a curl_off_t). libcurl rewinds to the start when it
    // must send the body again, as after a server turned down its "Expect: 100-continue" when
    // part of the body was already on its way.
    static int Seek(void* userdata, int64_t offset, int origin);

private:
    size_t ReadNext(char* buffer, size_t capacity);
    bool SeekTo(int64_t offset, int origin);

    HANDLE m_handle = INVALID_HANDLE_VALUE;
    uint64_t m_size = 0;
    uint64_t m_sent = 0;
    bool m_readFailed = false;
};
