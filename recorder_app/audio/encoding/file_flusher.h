// Flushes a file that is being written to disk at a steady pace from a thread of its own,
// so that a crash or a power cut costs a recording at most its last seconds while the
// thread that writes it never waits for the disk.
#pragma once
#include <windows.h>

#include <atomic>

#include "audio/encoding/file_write_api.h"

// One flush a second keeps two flushes less than two seconds apart even when one of them
// is slow.
constexpr DWORD kFlushIntervalMs = 1000;

class FileFlusher {
public:
    explicit FileFlusher(const FileWriteApi& files) : m_files(files) {}
    ~FileFlusher() { Stop(); }
    FileFlusher(const FileFlusher&) = delete;
    FileFlusher& operator=(const FileFlusher&) = delete;

    // Opens a handle of its own on path (the writer's must share write access) and flushes
    // through it every kFlushIntervalMs until Stop. False when the handle or the thread
    // cannot be had: the file is then written without flushes, as any file is.
    bool Start(const wchar_t* path);
    // Ends the thread, after the flush under way if there is one, and closes the handle.
    void Stop();
    // The system's error code of a flush that found the disk full, or 0. What the flush
    // could not write out is still the system's to write; the recording is to end as at a
    // write that failed.
    DWORD DiskFull() const { return m_diskFull.load(); }

private:
    static DWORD Body(void* flusher);
    void Run();

    const FileWriteApi& m_files;
    HANDLE m_file = INVALID_HANDLE_VALUE;
    HANDLE m_stop = nullptr;
    HANDLE m_thread = nullptr;
    std::atomic<DWORD> m_diskFull{0};
};
