// The heart of a playback: reads frames, counts them, skips those before the range without
// decoding them, and decodes the range into blocks for the output. No platform code; the
// playback worker supplies the output and handles the device between frames.
#pragma once
#include "audio/reading/frame_reader.h"
#include "audio/reading/mp3_decoder.h"
#include "audio/reading/pcm_accumulator.h"

#include <atomic>
#include <cstdint>

// The frames to play, as the player's parameters hold them; the range may be changed
// while playing and is read again for every frame.
struct FrameRange {
    uint32_t& frameCounter;       // frames read since the clip was rewound
    const uint32_t& startFrame;   // first frame to play, counting from 1
    const uint32_t& endFrame;     // last frame to play; all bits set means no end
};

class PlaybackLoop {
public:
    PlaybackLoop(FrameReader& reader, Mp3Decoder& decoder, PcmAccumulator& pcm)
        : m_reader(reader), m_decoder(decoder), m_pcm(pcm) {}

    // Called at the top of every pass, before the next frame is read.
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void BeforeFrame() = 0;
    };

    // Runs until the range or the file ends, a read fails or the output fails (false), or a
    // stop is requested (true).
    bool Run(FrameRange range, const std::atomic<bool>& stopRequested, BlockWriter& output,
             Listener* listener = nullptr);

private:
    bool DecodeCurrentFrame(BlockWriter& output);

    FrameReader& m_reader;
    Mp3Decoder& m_decoder;
    PcmAccumulator& m_pcm;
};
