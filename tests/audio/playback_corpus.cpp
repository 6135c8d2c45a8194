#include "playback_corpus.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace corpus {

std::wstring Folder() {
    const char* folder = std::getenv("QB_PLAYBACK_CORPUS");
    std::wstring path;
    if (folder) path.assign(folder, folder + std::strlen(folder));
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    return path;
}

std::wstring PathOf(const std::string& name) {
    return Folder() + L"/" + std::wstring(name.begin(), name.end());
}

std::vector<Clip> Manifest() {
    std::vector<Clip> clips;
    std::ifstream in(PathOf("manifest.txt").c_str());
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        Clip clip;
        std::string expect;
        int cbr = 0, tones = 0;
        if (!(fields >> clip.name >> expect >> clip.rate >> clip.channels >> clip.layer >>
              clip.frames >> clip.durationMs >> cbr >> tones))
            continue;
        clip.playable = expect == "ok";
        clip.cbr = cbr != 0;
        clip.tones = tones != 0;
        clips.push_back(clip);
    }
    return clips;
}

const Clip* Find(const std::string& name) {
    static const std::vector<Clip> clips = Manifest();
    for (const Clip& clip : clips)
        if (clip.name == name) return &clip;
    return nullptr;
}

double TonePower(const int16_t* pcm, size_t frames, int channels, int rate, double hz) {
    const double pi = 3.14159265358979323846;
    const double coefficient = 2 * std::cos(2 * pi * hz / rate);
    double previous = 0, beforePrevious = 0;
    for (size_t i = 0; i < frames; ++i) {
        const double s = pcm[i * channels] + coefficient * previous - beforePrevious;
        beforePrevious = previous;
        previous = s;
    }
    return previous * previous + beforePrevious * beforePrevious -
           coefficient * previous * beforePrevious;
}

int DominantTone(const int16_t* pcm, size_t frames, int channels, int rate) {
    double energy = 0;
    for (size_t i = 0; i < frames; ++i) energy += double(pcm[i * channels]) * pcm[i * channels];
    if (frames == 0 || std::sqrt(energy / frames) < 500) return -1;
    int best = -1;
    double bestPower = 0;
    for (int second = 0; second < 10; ++second) {
        const double power = TonePower(pcm, frames, channels, rate, ToneHz(second));
        if (power > bestPower) {
            bestPower = power;
            best = second;
        }
    }
    return best;
}

}  // namespace corpus
