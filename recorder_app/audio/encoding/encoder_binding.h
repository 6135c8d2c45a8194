// The binding to the external MP3 encoder library "lame_enc.dll": loaded by name at run
// time (never linked), driven through four stream entry points. One per process.
#pragma once
#include <windows.h>
#include <cstdint>

#include "audio/encoding/encoder_config.h"

// The library's calling conventions (cdecl) and result codes (0 is success).
using EncoderResult = unsigned long;
using BeInitStreamFn = EncoderResult (*)(void* config, DWORD* samplesPerChunk,
                                         DWORD* outputSize, DWORD* stream);
using BeEncodeChunkFn = EncoderResult (*)(DWORD stream, DWORD samples, const short* pcm,
                                          BYTE* output, DWORD* produced);
using BeDeinitStreamFn = EncoderResult (*)(DWORD stream, BYTE* output, DWORD* produced);
using BeCloseStreamFn = EncoderResult (*)(DWORD stream);

struct EncoderEntryPoints {
    BeInitStreamFn initStream = nullptr;
    BeEncodeChunkFn encodeChunk = nullptr;
    BeDeinitStreamFn deinitStream = nullptr;
    BeCloseStreamFn closeStream = nullptr;
};

// Every stream shares this one output buffer: only one stream is open at a time.
constexpr DWORD kEncoderOutputBufferSize = 65536;

namespace encoder_binding {

// Loads the library on the first call (later calls only rebuild the configuration) and
// builds the record that every stream starts from. mode is kEncoderModeMono or
// kEncoderModeStereo; maxBitrateKbps is kNoMaxBitrate for constant bitrate.
// Returns 0, or -1 when the library or one of its entry points is missing.
int Configure(std::uint32_t sampleRate, std::int32_t mode, std::uint32_t bitrateKbps,
              std::int32_t maxBitrateKbps);

bool IsLoaded();
const EncoderEntryPoints& EntryPoints();
const EncoderConfigRecord& Config();
BYTE* OutputBuffer();

}  // namespace encoder_binding
