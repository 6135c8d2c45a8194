// A scripted stand-in for lame_enc.dll: the four stream entry points with the library's
// calling convention, producing marked bytes instead of MP3, and logging every call.
#include <windows.h>

#include <cstring>

#include "fake_lame_enc.h"

namespace {

FakeEncoderScript g_script;
FakeEncoderLog g_log;
constexpr DWORD kStreamHandle = 0x5eed;

unsigned long g_framePosition = 0;  // frames mode: bytes of the frame stream produced so far

void Produce(BYTE* output, DWORD* produced, unsigned long count, BYTE mark) {
    *produced = count;
    if (!g_script.frames) {
        std::memset(output, mark, count);
        return;
    }
    // Header of a mono frame without CRC, no padding; the body is filler.
    static const BYTE kHeader[4] = {0xFF, 0xFB, 0x70, 0xC0};
    for (unsigned long i = 0; i < count; ++i, ++g_framePosition) {
        const unsigned long at = g_framePosition % kFakeFrameBytes;
        output[i] = at < 4 ? kHeader[at] : 0x55;
    }
}

}  // namespace

extern "C" {

__declspec(dllexport) void FakeEncoderSetScript(const FakeEncoderScript* script) {
    g_script = *script;
    g_log = FakeEncoderLog{};
    g_framePosition = 0;
}

__declspec(dllexport) const FakeEncoderLog* FakeEncoderGetLog() { return &g_log; }

__declspec(dllexport) unsigned long beInitStream(void* config, DWORD* samples, DWORD* outputSize,
                                                 DWORD* stream) {
    ++g_log.initCalls;
    std::memcpy(g_log.config, config, sizeof g_log.config);
    *samples = g_script.samplesPerChunk;
    *outputSize = g_script.outputSize;
    *stream = kStreamHandle;
    return g_script.initResult;
}

__declspec(dllexport) unsigned long beEncodeChunk(DWORD stream, DWORD samples, const short* pcm,
                                                  BYTE* output, DWORD* produced) {
    const int call = ++g_log.encodeCalls;
    if (call <= 64) {
        g_log.chunkSamples[call - 1] = samples;
        g_log.chunkFirstSample[call - 1] = samples ? pcm[0] : 0;
    }
    if (stream != kStreamHandle || call == g_script.failEncodeCall) return 1;
    Produce(output, produced, g_script.bytesPerEncode, static_cast<BYTE>('a' + call % 26));
    return 0;
}

__declspec(dllexport) unsigned long beDeinitStream(DWORD stream, BYTE* output, DWORD* produced) {
    ++g_log.deinitCalls;
    if (stream != kStreamHandle) return 1;
    Produce(output, produced, g_script.deinitBytes, 'Z');
    return g_script.deinitResult;
}

// Built without it, the library stands for an incomplete or foreign lame_enc.dll.
#ifndef FAKE_ENCODER_WITHOUT_CLOSE
__declspec(dllexport) unsigned long beCloseStream(DWORD stream) {
    ++g_log.closeCalls;
    return stream == kStreamHandle ? 0 : 1;
}
#endif

}  // extern "C"
