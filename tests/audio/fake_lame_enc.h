// Control interface of the scripted stand-in for lame_enc.dll that the encoder tests load.
// The tests find these functions in the loaded library with GetProcAddress.
#pragma once
#include <cstdint>

struct FakeEncoderScript {
    unsigned long initResult = 0;
    unsigned long samplesPerChunk = 1152;
    unsigned long outputSize = 8640;
    int failEncodeCall = 0;          // 1-based call that fails; 0: none
    unsigned long bytesPerEncode = 7;  // output of each encode call
    unsigned long deinitResult = 0;
    unsigned long deinitBytes = 5;
    // Set: the output is one stream of MPEG-1 Layer III frames at 96 kbit/s and 44100 Hz
    // (313 bytes each), cut into outputs of bytesPerEncode bytes without regard to frames,
    // as a real encoder's output runs.
    bool frames = false;
};

constexpr unsigned long kFakeFrameBytes = 313;

struct FakeEncoderLog {
    int initCalls = 0;
    int encodeCalls = 0;
    int deinitCalls = 0;
    int closeCalls = 0;
    unsigned char config[331] = {};
    unsigned long chunkSamples[64] = {};   // samples of each encode call
    short chunkFirstSample[64] = {};       // first sample of each encode call
};

using FakeEncoderSetScriptFn = void (*)(const FakeEncoderScript*);
using FakeEncoderLogFn = const FakeEncoderLog* (*)();
