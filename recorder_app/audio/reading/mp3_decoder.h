// Decodes MPEG audio frames (Layers I to III) to 16-bit interleaved stereo PCM with mpg123,
// one complete frame at a time as the frame reader delivers them. A single-channel stream is
// synthesised once and written to both channels; synthesis runs at the stream's rate or,
// with the 2:1 reduction, at half of it. Pure C++ over libmpg123, no Win32.
#pragma once
#include "audio/reading/pcm_accumulator.h"

#include <cstddef>
#include <cstdint>

struct mpg123_handle_struct;

class Mp3Decoder {
public:
    // Bytes one synthesis step adds: 32 stereo 16-bit samples, or 16 at the 2:1 reduction.
    static uint32_t StepBytes(bool halfRate) { return halfRate ? 64 : 128; }

    Mp3Decoder() = default;
    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;
    ~Mp3Decoder();

    // Builds the decoder for a new stream with the given output scale (32768 is full scale)
    // and synthesis ratio; false when the decoder cannot be set up.
    bool Setup(long outputScale, bool halfRate);
    // Forgets the stream: bit reservoir, synthesis history and any buffered input.
    bool Reset();
    // True once a frame was fed since the last Setup or Reset.
    bool HasHistory() const { return m_hasHistory; }

    // Decodes one frame (header and body) and appends its PCM. False only when the writer
    // failed; a frame the decoder cannot make sense of adds nothing.
    bool DecodeFrame(const uint8_t* frame, size_t size, PcmAccumulator& out, BlockWriter& writer);
    // Feeds a frame only so that the next one finds its bit reservoir; the sound is dropped.
    void Prime(const uint8_t* frame, size_t size);

private:
    // Feeds the frame and hands each decoded chunk to `sink` (nullptr drops it).
    bool Feed(const uint8_t* frame, size_t size, PcmAccumulator* out, BlockWriter* writer);

    mpg123_handle_struct* m_handle = nullptr;
    bool m_hasHistory = false;
};
