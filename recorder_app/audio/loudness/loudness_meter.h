// Measures a clip's loudness to ITU-R BS.1770-4 / EBU R128: integrated loudness and loudness
// range with libebur128, maximum true peak with true_peak.h, of the clip as our own decoder
// renders it.
// While it walks the frames it also surveys what a lossless change of level (global_gain.h)
// would meet: the kind of every frame and the span of the granules' gains.
//
// Threads: a measurement runs on one worker thread, which owns the reader and the meter for
// its whole run; another thread may only read the watch's progress and set its cancel flag.
// No Win32.
#pragma once
#include "audio/loudness/global_gain.h"
#include "audio/reading/frame_reader.h"

#include <atomic>
#include <cstdint>

struct LoudnessFigures {
    double integratedLufs = 0;  // -infinity for silence
    double rangeLu = 0;
    double truePeakDbtp = 0;    // -infinity for silence
};

// Whether every granule's global gain can be shifted alike.
enum class GainRewrite {
    Possible,
    NotLayer3,     // Layer I or II: no global gain
    MixedFrames,   // frames of differing version, rate, layer or channel count
};

struct ClipLoudness {
    LoudnessFigures figures;
    GainRewrite rewrite = GainRewrite::Possible;
    GainSpan gains;
    uint32_t frames = 0;
    int channels = 0;
    int sampleRate = 0;
};

// Shared between the worker and the thread that watches it.
struct MeasureWatch {
    std::atomic<bool> cancelled{false};
    std::atomic<uint32_t> permille{0};  // share of the file walked so far
};

// Results of MeasureClip.
constexpr int kLoudnessMeasured = 0;
constexpr int kLoudnessNoAudio = -1;      // no frame that decodes
constexpr int kLoudnessReadFailed = -2;
constexpr int kLoudnessMeterFailed = -3;  // the meter or the decoder could not be set up
constexpr int kLoudnessCancelled = -4;

// Measures the clip open in `reader` from its start. `watch` may be null.
int MeasureClip(FrameReader& reader, ClipLoudness& result, MeasureWatch* watch);
