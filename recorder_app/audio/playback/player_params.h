// The clip player's parameters: the range to play and the output format and device.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

struct PlayerParams {
    static constexpr uint32_t kNoEnd = 0xFFFFFFFFu;

    uint32_t startTime = 0;       // timeGetTime() right after the output device opened
    uint32_t frameCounter = 0;    // frames read since the file was rewound
    uint32_t startFrame = 0;      // first frame to play
    uint32_t startMs = 0;         // range start from the caller
    uint32_t endFrame = kNoEnd;   // last frame to play
    uint32_t endMs = 0;           // range end from the caller; 0 and kNoEnd mean no end
    uint32_t outputSampleRate = 44100;
    uint32_t blockSize = 16384;   // bytes of PCM per output block
    uint32_t queueDepth = 8;      // most blocks queued in the device at once
    uint16_t channels = 2;
    uint16_t bitsPerSample = 16;
    UINT device = 0;              // wave-output device id
    long outputScale = 32768;     // decoder output scale, full scale
    int threadPriority = THREAD_PRIORITY_NORMAL;
    std::wstring filePath;
    HWND ownerWindow = nullptr;
};
