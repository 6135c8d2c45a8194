// The encoder stream: drives beInitStream / beEncodeChunk / beDeinitStream / beCloseStream
// and writes what they produce to a buffered file.
#include "audio/encoder_stream.h"

#include <algorithm>

#include "audio/encoder_binding.h"

EncoderStream* EncoderStream::Open(const wchar_t* path) {
    if (!encoder_binding::IsLoaded() || !path) return nullptr;
    EncoderStream* stream = new EncoderStream;
    stream->m_file = _wfopen(path, L"wb");
    if (!stream->m_file) {
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
        std::fclose(stream->m_file);
        delete stream;
        return nullptr;
    }
    return stream;
}

bool EncoderStream::WriteOutput(DWORD produced) {
    if (produced == 0) return true;
    return std::fwrite(encoder_binding::OutputBuffer(), 1, produced, m_file) == produced;
}

int EncoderStream::Write(EncoderStream* stream, const void* pcm, DWORD bytes) {
    if (!stream) return -1;
    const BYTE* data = static_cast<const BYTE*>(pcm);
    const DWORD maxChunkBytes = stream->m_samplesPerChunk * 2;
    const BeEncodeChunkFn encodeChunk = encoder_binding::EntryPoints().encodeChunk;
    int result = 0;
    while (bytes > 0) {
        const DWORD chunk = std::min(bytes, maxChunkBytes);
        DWORD produced = 0;
        if (encodeChunk(stream->m_handle, chunk / 2, reinterpret_cast<const short*>(data),
                        encoder_binding::OutputBuffer(), &produced) != 0 ||
            produced > kEncoderOutputBufferSize || !stream->WriteOutput(produced)) {
            result = -1;
            break;
        }
        data += chunk;
        bytes -= chunk;
    }
    if (data != pcm && std::fflush(stream->m_file) != 0) result = -1;
    return result;
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
    std::fclose(stream->m_file);
    delete stream;
}
