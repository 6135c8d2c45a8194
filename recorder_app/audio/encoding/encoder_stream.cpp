// The encoder stream: drives beInitStream / beEncodeChunk / beDeinitStream / beCloseStream
// and writes what they produce straight to the file. Three threads meet here: the one that
// opens and closes the stream (the recorder's caller), the capture worker, which alone
// writes between the two, and the stream's flush thread, which shares nothing with the
// others but the file (see file_flusher.cpp).
#include "audio/encoding/encoder_stream.h"

#include <algorithm>

#include "audio/encoding/encoder_binding.h"

EncoderStream* EncoderStream::Open(const wchar_t* path, const FileWriteApi& files) {
    if (!encoder_binding::IsLoaded() || !path) return nullptr;
    EncoderStream* stream = new EncoderStream(files);
    // Write access is shared with the flush thread's handle only: the file is new, and
    // nobody else knows its name yet.
    stream->m_file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (stream->m_file == INVALID_HANDLE_VALUE) {
        delete stream;
        return nullptr;
    }
    stream->m_config = encoder_binding::Config();
    const EncoderResult result = encoder_binding::EntryPoints().initStream(
        stream->m_config.data(), &stream->m_samplesPerChunk, &stream->m_outputSize,
        &stream->m_handle);
    // The shared output buffer must hold the largest output of one call; a stream that
    // reports no chunk size could never make progress.
    if (result != 0 || stream->m_outputSize > kEncoderOutputBufferSize ||
        stream->m_samplesPerChunk == 0) {
        if (result == 0) encoder_binding::EntryPoints().closeStream(stream->m_handle);
        CloseHandle(stream->m_file);
        DeleteFileW(path);  // made just now, empty: no recording of anyone's
        delete stream;
        return nullptr;
    }
    // A flusher that cannot start leaves the file to the system's own pace of writing out,
    // which is no reason to lose the take.
    stream->m_flusher.Start(path);
    return stream;
}

bool EncoderStream::WriteOutput(DWORD produced) {
    if (m_failure != 0) return false;
    const BYTE* data = encoder_binding::OutputBuffer();
    const uint64_t before = m_fileBytes;
    while (produced > 0) {
        DWORD written = 0;
        const BOOL ok = m_files.write(m_file, data, produced, &written, nullptr);
        const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
        written = std::min(written, produced);
        m_written.Feed(data, written);
        m_fileBytes += written;
        if (!ok || written == 0) {
            // A disk that is full takes part of a write and refuses the rest.
            EndAtLastWholeFrame(ok || error == ERROR_SUCCESS ? ERROR_DISK_FULL : error, before);
            return false;
        }
        data += written;
        produced -= written;
    }
    return true;
}

// The encoder's output runs across frame boundaries, so the file may end inside a frame
// even when every write before was whole: it is cut back to the end of the last whole one.
void EncoderStream::EndAtLastWholeFrame(DWORD error, uint64_t beforeFailedOutput) {
    m_failure = error;
    LARGE_INTEGER end;
    // Output whose frames cannot be told is cut back only to before the failed write.
    end.QuadPart = static_cast<LONGLONG>(m_written.StoppedOnDamage() ? beforeFailedOutput : m_written.Cut());
    if (SetFilePointerEx(m_file, end, nullptr, FILE_BEGIN)) SetEndOfFile(m_file);
}

int EncoderStream::Write(EncoderStream* stream, const void* pcm, DWORD bytes) {
    if (!stream || stream->m_failure != 0) return -1;
    const BYTE* data = static_cast<const BYTE*>(pcm);
    const DWORD maxChunkBytes = stream->m_samplesPerChunk * 2;
    const BeEncodeChunkFn encodeChunk = encoder_binding::EntryPoints().encodeChunk;
    while (bytes > 0) {
        const DWORD chunk = std::min(bytes, maxChunkBytes);
        DWORD produced = 0;
        if (encodeChunk(stream->m_handle, chunk / 2, reinterpret_cast<const short*>(data),
                        encoder_binding::OutputBuffer(), &produced) != 0 ||
            produced > kEncoderOutputBufferSize || !stream->WriteOutput(produced))
            return -1;
        data += chunk;
        bytes -= chunk;
    }
    return 0;
}

DWORD EncoderStream::WriteFailure(const EncoderStream* stream) {
    return stream ? stream->m_failure : 0;
}

DWORD EncoderStream::FlushFailure(const EncoderStream* stream) {
    return stream ? stream->m_flusher.DiskFull() : 0;
}

void EncoderStream::Close(EncoderStream* stream) {
    if (!stream) return;
    const EncoderEntryPoints& library = encoder_binding::EntryPoints();
    DWORD produced = 0;
    // A failure here loses only the encoder's buffered tail; the file is closed anyway.
    if (library.deinitStream(stream->m_handle, encoder_binding::OutputBuffer(), &produced) == 0 &&
        produced <= kEncoderOutputBufferSize)
        stream->WriteOutput(produced);
    library.closeStream(stream->m_handle);
    stream->m_flusher.Stop();
    CloseHandle(stream->m_file);
    delete stream;
}
