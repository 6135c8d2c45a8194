// The application log: UTF-16LE text without a byte-order mark, one line per Print, each
// ending in a bare line feed, truncated at every start.
#pragma once
#include <cstdio>
#include <string>

class CLogFile {
public:
    // Longest line, terminating null included; longer messages are cut to fit.
    static constexpr size_t kBufferChars = 4096;

    CLogFile() = default;
    CLogFile(const CLogFile&) = delete;
    CLogFile& operator=(const CLogFile&) = delete;
    ~CLogFile() { Close(); }

    // Opens for writing and truncates; on failure the log stays closed and Print does nothing.
    bool Open(const std::wstring& path);
    // printf-style with the Microsoft meaning of %s in wide formats: a wide string.
    void Print(const wchar_t* format, ...);
    void Close();
    bool IsOpen() const { return m_file != nullptr; }

private:
    FILE* m_file = nullptr;
};

// The process's log, open from start-up to exit.
extern CLogFile g_log;
