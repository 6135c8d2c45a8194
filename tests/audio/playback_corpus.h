// The clips made by make_playback_corpus.sh at test time, and what ffprobe said of them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace corpus {

struct Clip {
    std::string name;
    bool playable = false;  // "ok": has frames within the search limit
    int rate = 0;
    int channels = 0;
    int layer = 0;
    int frames = 0;         // ffprobe's count, without an encoder's Info frame
    int durationMs = 0;
    bool cbr = false;
    bool tones = false;     // second k is a tone of ToneHz(k)
};

inline int ToneHz(int second) { return 400 + 100 * second; }

// The corpus folder as a Windows path (QB_PLAYBACK_CORPUS holds a Unix path).
std::wstring Folder();
std::wstring PathOf(const std::string& name);
std::vector<Clip> Manifest();
const Clip* Find(const std::string& name);

// Power of `hz` in interleaved 16-bit PCM (channel 0 of `channels`), by Goertzel's method.
double TonePower(const int16_t* pcm, size_t frames, int channels, int rate, double hz);
// The second whose tone is strongest in the given samples, or -1 in silence.
int DominantTone(const int16_t* pcm, size_t frames, int channels, int rate);

}  // namespace corpus
