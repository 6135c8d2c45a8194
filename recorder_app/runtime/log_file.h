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

// The logs' file names in "My Podcasts": the recorder's and the updater's.
constexpr wchar_t kRecorderLogName[] = L"recorder.log";
constexpr wchar_t kPatcherLogName[] = L"patcher.log";
// The path of a log in "My Podcasts" (kRecorderLogName or kPatcherLogName), with "My Podcasts"
// created if missing; empty if there is no documents folder (the program then runs without).
std::wstring LogPath(const wchar_t* fileName);
