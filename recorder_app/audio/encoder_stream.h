// One MP3 file being written by the encoder library: open, feed 16-bit PCM, close.
#pragma once
#include <windows.h>
#include <cstdio>

#include "audio/encoder_config.h"

class EncoderStream {
public:
    // Creates (or truncates) the file at path and starts an encoder stream on it with the
    // binding's configuration. Returns null when the library is not loaded (no file is
    // created then), the file cannot be created or the encoder refuses to start.
    static EncoderStream* Open(const wchar_t* path);

    // Encodes bytes of 16-bit PCM in chunks the library accepts and appends the frames to
    // the file, which is flushed afterwards so that a killed process loses at most the
    // frames the encoder still holds. Returns 0, or -1 when stream is null or the library
    // or the file fails (the rest of the block is dropped then).
    static int Write(EncoderStream* stream, const void* pcm, DWORD bytes);

    // Writes the encoder's remaining frames, ends the stream, closes the file and frees
    // the stream. A null stream is ignored.
    static void Close(EncoderStream* stream);

    EncoderStream(const EncoderStream&) = delete;
    EncoderStream& operator=(const EncoderStream&) = delete;

private:
    EncoderStream() = default;
    ~EncoderStream() = default;
    bool WriteOutput(DWORD produced);

    EncoderConfigRecord m_config{};
    DWORD m_samplesPerChunk = 0;
    DWORD m_outputSize = 0;
    DWORD m_handle = 0;
    std::FILE* m_file = nullptr;
};
