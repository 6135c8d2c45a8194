#include "log_file.h"
#include <windows.h>
#include <cstdarg>
#include <cwchar>
#include "folders.h"
#include "text_format.h"

CLogFile g_log;

bool CLogFile::Open(const std::wstring& path) {
    Close();
    m_file = _wfopen(path.c_str(), L"wb");
    return m_file != nullptr;
}

void CLogFile::Print(const wchar_t* format, ...) {
    if (m_file == nullptr) return;
    wchar_t line[kBufferChars];
    va_list args;
    va_start(args, format);
    // One character stays free for the line feed; an overlong message is cut, not dropped.
    const size_t length = FormatTruncatedV(line, kBufferChars - 1, format, args);
    va_end(args);
    if (length == 0) return;
    line[length] = L'\n';
    // One write per line: the stream serialises whole calls, so threads never mix within a line.
    fwrite(line, sizeof(wchar_t), length + 1, m_file);
    fflush(m_file);
}

void CLogFile::Close() {
    if (m_file == nullptr) return;
    fflush(m_file);
    fclose(m_file);
    m_file = nullptr;
}

std::wstring LogPath(const wchar_t* fileName) {
    const std::wstring podcasts = PodcastsFolder();
    if (podcasts.empty()) return podcasts;
    CreateDirectoryW(podcasts.c_str(), nullptr);  // an existing folder is fine
    return podcasts + L"\\" + fileName;
}
