// One MP3 file being written by the encoder library: open, feed 16-bit PCM, close.
#pragma once
#include <windows.h>

#include <cstdint>

#include "audio/encoding/encoder_config.h"
#include "audio/encoding/file_flusher.h"
#include "audio/encoding/file_write_api.h"
#include "audio/reading/frame_cut.h"

class EncoderStream {
public:
    // Creates the file at path, which must not exist yet (a new recording never replaces a
    // file), and starts an encoder stream on it with the binding's configuration. Returns
    // null, leaving no file behind, when the library is not loaded, the file cannot be
    // created or the encoder refuses to start. From here to Close the file is flushed to
    // disk every kFlushIntervalMs by a thread of its own (FileFlusher).
    static EncoderStream* Open(const wchar_t* path, const FileWriteApi& files = SystemFileWrite());

    // Encodes bytes of 16-bit PCM in chunks the library accepts and appends the frames to
    // the file at once, so that a killed process loses at most the frames the encoder still
    // holds. Returns 0, or -1 when stream is null or the library or the file fails (the rest
    // of the block is dropped then). The first write to the file that fails ends the stream:
    // the file is cut back to its last whole frame and nothing more is written to it.
    static int Write(EncoderStream* stream, const void* pcm, DWORD bytes);

    // The system's error code of the write that ended the stream, or 0 while writing works.
    static DWORD WriteFailure(const EncoderStream* stream);
    // The system's error code of a flush that found the disk full, or 0. Writing goes on and
    // the file keeps what it has; the recording is to end as at WriteFailure. Read it on the
    // thread that opens and closes the stream.
    static DWORD FlushFailure(const EncoderStream* stream);

    // Writes the encoder's remaining frames (unless a write has failed), ends the stream,
    // closes the file and frees the stream. A null stream is ignored.
    static void Close(EncoderStream* stream);

    EncoderStream(const EncoderStream&) = delete;
    EncoderStream& operator=(const EncoderStream&) = delete;

private:
    explicit EncoderStream(const FileWriteApi& files) : m_files(files), m_flusher(files) {}
    ~EncoderStream() = default;
    bool WriteOutput(DWORD produced);
    void EndAtLastWholeFrame(DWORD error, uint64_t beforeFailedOutput);

    const FileWriteApi& m_files;
    EncoderConfigRecord m_config{};
    DWORD m_samplesPerChunk = 0;
    DWORD m_outputSize = 0;
    DWORD m_handle = 0;
    HANDLE m_file = INVALID_HANDLE_VALUE;
    FrameCut m_written;   // the frames that reached the file
    uint64_t m_fileBytes = 0;
    DWORD m_failure = 0;
    FileFlusher m_flusher;
};
