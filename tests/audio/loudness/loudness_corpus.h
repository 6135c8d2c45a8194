#pragma once
// The loudness corpus that make_loudness_corpus.sh makes at test time (QB_LOUDNESS_CORPUS):
// its clips, ffmpeg's figures for them, and fresh names beside them for written clips.
#include <windows.h>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include "audio/loudness/loudness_meter.h"

namespace loudness_corpus {

inline std::wstring Folder() {
    const char* folder = std::getenv("QB_LOUDNESS_CORPUS");
    std::wstring path;
    if (folder) path.assign(folder, folder + std::strlen(folder));
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    return path;
}

inline std::wstring PathOf(const std::string& name) {
    return Folder() + L"/" + std::wstring(name.begin(), name.end());
}

inline std::map<std::string, LoudnessFigures> FfmpegFigures() {
    std::map<std::string, LoudnessFigures> figures;
    std::ifstream in(PathOf("figures.txt").c_str());
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string name;
        LoudnessFigures f;
        if (fields >> name >> f.integratedLufs >> f.rangeLu >> f.truePeakDbtp) figures[name] = f;
    }
    return figures;
}

inline int Measure(const std::wstring& path, ClipLoudness& result) {
    FrameReader reader;
    if (!reader.Open(path.c_str())) return -100;
    return MeasureClip(reader, result, nullptr);
}

// A fresh name in the corpus folder for a written clip.
inline std::wstring Target(const std::string& name) {
    const std::wstring path = PathOf(name);
    DeleteFileW(path.c_str());
    return path;
}

}  // namespace loudness_corpus
