// The flush thread of a recording. Two threads meet here: the caller's, which starts and
// stops the flusher (the recorder's, at the start and the end of a take), and the flush
// thread, which uses only its own handle, the stop event and the disk-full code. The
// thread that writes the file never touches the flusher: it shares only the file itself,
// through a handle of its own.
//
// Why a handle of its own: the system lets one call at a time into the file object behind
// a synchronous handle, so a flush through the writer's handle would make the capture
// worker's next write wait for the disk. A flush through any handle of the file writes out
// all of its cached data, whoever wrote it.
#include "audio/encoding/file_flusher.h"

#include "runtime/crash_guard.h"

namespace {

// A full disk refuses the cached data the flush writes out just as it refuses a write.
bool MeansDiskFull(DWORD error) {
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
}

}  // namespace

bool FileFlusher::Start(const wchar_t* path) {
    Stop();
    m_diskFull = 0;
    m_file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (m_file == INVALID_HANDLE_VALUE) return false;
    m_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (m_stop)
        m_thread = CreateThread(nullptr, 0, GuardedThread<&FileFlusher::Body>, this, 0, nullptr);
    if (m_thread) return true;
    Stop();
    return false;
}

void FileFlusher::Stop() {
    if (m_thread) {
        SetEvent(m_stop);
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    if (m_stop) CloseHandle(m_stop);
    m_stop = nullptr;
    if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
}

DWORD FileFlusher::Body(void* flusher) {
    static_cast<FileFlusher*>(flusher)->Run();
    return 0;
}

// A failed flush loses nothing: what was written stays in the system's cache, which writes
// it out later, and the next flush tries again. Only a full disk, which will refuse those
// bytes as it refuses writes, is reported, so that the take ends as at a write that failed;
// the file keeps everything written to it.
void FileFlusher::Run() {
    while (WaitForSingleObject(m_stop, kFlushIntervalMs) == WAIT_TIMEOUT) {
        if (m_files.flush(m_file)) continue;
        const DWORD error = GetLastError();
        DWORD none = 0;
        if (MeansDiskFull(error)) m_diskFull.compare_exchange_strong(none, error);
    }
}
