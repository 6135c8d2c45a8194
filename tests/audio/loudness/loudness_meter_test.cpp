// The loudness meter against ffmpeg's EBU R128 meter on the same files, the Layer III global
// gain and CRC on files made by real encoders, and evening out as a user meets it. The clips
// and ffmpeg's figures come from make_loudness_corpus.sh (QB_LOUDNESS_CORPUS).
#include "audio/loudness/even_out_plan.h"
#include "audio/loudness/even_out_writer.h"
#include "audio/loudness/loudness_meter.h"
#include "audio/loudness/true_peak.h"

#include <ebur128.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::wstring Folder() {
    const char* folder = std::getenv("QB_LOUDNESS_CORPUS");
    std::wstring path;
    if (folder) path.assign(folder, folder + std::strlen(folder));
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    return path;
}

std::wstring PathOf(const std::string& name) {
    return Folder() + L"/" + std::wstring(name.begin(), name.end());
}

std::map<std::string, LoudnessFigures> FfmpegFigures() {
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

int Measure(const std::wstring& path, ClipLoudness& result) {
    FrameReader reader;
    if (!reader.Open(path.c_str())) return -100;
    return MeasureClip(reader, result, nullptr);
}

// A fresh name in the corpus folder for a written clip.
std::wstring Target(const std::string& name) {
    const std::wstring path = PathOf(name);
    DeleteFileW(path.c_str());
    return path;
}

TEST(LoudnessMeter, FiguresAgreeWithFfmpeg) {
    const auto ffmpeg = FfmpegFigures();
    ASSERT_GE(ffmpeg.size(), 8u) << "no figures.txt in the corpus";
    for (const auto& [name, want] : ffmpeg) {
        SCOPED_TRACE(name);
        ClipLoudness got;
        ASSERT_EQ(Measure(PathOf(name), got), kLoudnessMeasured);
        // ffmpeg drops the encoder's delay, which moves the 400 ms blocks against the sound;
        // on this short clip of clicks and pauses the gate then takes other blocks.
        EXPECT_NEAR(got.figures.integratedLufs, want.integratedLufs, name == "held.mp3" ? 0.4 : 0.1);
        EXPECT_NEAR(got.figures.truePeakDbtp, want.truePeakDbtp, 0.2);
        EXPECT_NEAR(got.figures.rangeLu, want.rangeLu, 0.5);
        EXPECT_EQ(got.rewrite, name == "layer2.mp2" ? GainRewrite::NotLayer3 : GainRewrite::Possible);
    }
}

TEST(LoudnessMeter, RefusesAFileWithoutAudio) {
    const std::wstring path = Target("noaudio.mp3");
    std::ofstream(path.c_str(), std::ios::binary) << std::string(50000, 'x');
    ClipLoudness got;
    EXPECT_EQ(Measure(path, got), kLoudnessNoAudio);
}

TEST(LoudnessMeter, CancelEndsTheMeasurement) {
    FrameReader reader;
    ASSERT_TRUE(reader.Open(PathOf("speech.mp3").c_str()));
    MeasureWatch watch;
    watch.cancelled = true;
    ClipLoudness got;
    EXPECT_EQ(MeasureClip(reader, got, &watch), kLoudnessCancelled);
}

// The skipping of quiet stretches must not change the figure: the same as libebur128's own
// oversampling, on quiet noise with loud bursts whose peaks fall between the samples.
TEST(TruePeakTest, IsLibebur128sFigure) {
    std::vector<int16_t> samples(44100 * 3);
    uint32_t noise = 1;
    for (size_t i = 0; i < samples.size(); ++i) {
        noise = noise * 1664525u + 1013904223u;
        double value = static_cast<int>(noise >> 20) - 2048;  // about -24 dBFS
        if ((i / 4410) % 7 == 3) value += 12000 * std::sin(2 * 3.14159265358979 * 11025 * i / 44100 + 0.785398);
        samples[i] = static_cast<int16_t>(value);
    }
    TruePeak ours(44100);
    ours.Add(samples.data(), samples.size(), 1);
    ebur128_state* theirs = ebur128_init(1, 44100, EBUR128_MODE_TRUE_PEAK);
    ASSERT_NE(theirs, nullptr);
    ebur128_add_frames_short(theirs, samples.data(), samples.size());
    double peak = 0;
    ebur128_true_peak(theirs, 0, &peak);
    ebur128_destroy(&theirs);
    int samplePeak = 0;
    for (int16_t sample : samples) samplePeak = std::max(samplePeak, std::abs(int(sample)));
    EXPECT_GT(peak, 1.2 * samplePeak / 32768.0);  // between the samples
    EXPECT_NEAR(ours.Peak(), peak, 1e-6);
}

// lame's own CRCs of every frame are what ours computes over the side information we read.
TEST(GlobalGain, CrcAgreesWithTheEncodersInEveryLayout) {
    for (const char* name : {"speech.mp3", "stereo.mp3", "mpeg2.mp3", "mpeg2_stereo.mp3"}) {
        SCOPED_TRACE(name);
        FrameReader reader;
        ASSERT_TRUE(reader.Open(PathOf(name).c_str()));
        int checked = 0;
        while (reader.ReadFrame() == FrameReader::kFrameRead) {
            const uint8_t* frame = reader.FrameData();
            const uint32_t window = (uint32_t(frame[0]) << 24) | (uint32_t(frame[1]) << 16) |
                                    (uint32_t(frame[2]) << 8) | frame[3];
            FrameHeader header;
            GainLayout layout;
            ASSERT_TRUE(ParseHeader(window, true, header) && GainLayoutOf(header, layout));
            ASSERT_TRUE(header.crcPresent);
            ASSERT_EQ(Layer3Crc(frame, layout), (frame[4] << 8) | frame[5]) << "frame " << checked;
            ++checked;
        }
        EXPECT_GT(checked, 100);
    }
}

// Evening out: the figures move by whole steps, a second evening out finds nothing to do,
// and the decoded sound is the original's times the gain.
TEST(EvenOut, BringsSpeechToTheTargetAndThenLeavesIt) {
    for (const char* name : {"speech.mp3", "tone.mp3", "stereo.mp3", "mpeg2.mp3", "mpeg2_stereo.mp3"}) {
        SCOPED_TRACE(name);
        ClipLoudness before, after;
        ASSERT_EQ(Measure(PathOf(name), before), kLoudnessMeasured);
        const EvenOutPlan plan = PlanEvenOut(before);
        ASSERT_EQ(plan.limit, EvenOutLimit::None);
        ASSERT_NE(plan.steps, 0);
        const std::wstring target = Target(std::string("even-") + name);
        DWORD error = 0;
        ASSERT_EQ(WriteEvenedClip(PathOf(name).c_str(), target.c_str(), plan.steps, nullptr, error), kEvenOutWritten);
        ASSERT_EQ(Measure(target, after), kLoudnessMeasured);
        EXPECT_NEAR(after.figures.integratedLufs, kTargetLufs, kTargetToleranceLu);
        EXPECT_NEAR(after.figures.integratedLufs, before.figures.integratedLufs + plan.steps * kGainStepDb, 0.05);
        EXPECT_LE(after.figures.truePeakDbtp, kPeakCeilingDbtp);
        EXPECT_EQ(PlanEvenOut(after).limit, EvenOutLimit::AlreadyThere);
        EXPECT_EQ(PlanEvenOut(after).steps, 0);
    }
}

TEST(EvenOut, PeaksHoldTheLevelBack) {
    ClipLoudness peaks, held, after;
    ASSERT_EQ(Measure(PathOf("peaks.mp3"), peaks), kLoudnessMeasured);
    const EvenOutPlan plan = PlanEvenOut(peaks);
    EXPECT_EQ(plan.limit, EvenOutLimit::Peak);
    ASSERT_GT(plan.steps, 0);
    const std::wstring target = Target("even-peaks.mp3");
    DWORD error = 0;
    ASSERT_EQ(WriteEvenedClip(PathOf("peaks.mp3").c_str(), target.c_str(), plan.steps, nullptr, error), kEvenOutWritten);
    ASSERT_EQ(Measure(target, after), kLoudnessMeasured);
    EXPECT_LE(after.figures.truePeakDbtp, kPeakCeilingDbtp);
    EXPECT_GT(after.figures.truePeakDbtp, kPeakCeilingDbtp - kGainStepDb);

    ASSERT_EQ(Measure(PathOf("held.mp3"), held), kLoudnessMeasured);
    EXPECT_EQ(PlanEvenOut(held).limit, EvenOutLimit::Peak);
    EXPECT_EQ(PlanEvenOut(held).steps, 0);
}

TEST(EvenOut, NoStepTakesAGranuleOutOfItsField) {
    ClipLoudness clip;
    clip.figures = {-60.0, 5.0, -40.0};
    clip.gains.lowest = 120;
    clip.gains.highest = 250;
    EvenOutPlan plan = PlanEvenOut(clip);
    EXPECT_EQ(plan.steps, 5);
    EXPECT_EQ(plan.limit, EvenOutLimit::GainRange);
    clip.figures = {-5.0, 5.0, -1.0};
    clip.gains.lowest = 3;
    plan = PlanEvenOut(clip);
    EXPECT_EQ(plan.steps, -3);
    EXPECT_EQ(plan.limit, EvenOutLimit::GainRange);
}

BOOL WINAPI DiskFullAfterFirstWrite(HANDLE file, LPCVOID data, DWORD size, LPDWORD done, LPOVERLAPPED overlapped) {
    static int calls = 0;
    if (++calls > 1) {
        *done = size / 2;
        return WriteFile(file, data, size / 2, done, overlapped);
    }
    return WriteFile(file, data, size, done, overlapped);
}

TEST(EvenOut, AFullDiskLeavesNoFileAndTheSourceAlone) {
    const std::wstring target = Target("even-full.mp3");
    const EvenOutFileApi api{&DiskFullAfterFirstWrite, &::FlushFileBuffers};
    DWORD error = 0;
    // A two-minute stereo clip is more than one output chunk.
    EXPECT_EQ(WriteEvenedClip(PathOf("long.mp3").c_str(), target.c_str(), 2, nullptr, error, api), kEvenOutWriteFailed);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_EQ(GetFileAttributesW(target.c_str()), INVALID_FILE_ATTRIBUTES);
    ClipLoudness source;
    EXPECT_EQ(Measure(PathOf("long.mp3"), source), kLoudnessMeasured);
}

TEST(EvenOut, NeverReplacesAnExistingFile) {
    const std::wstring target = Target("even-existing.mp3");
    std::ofstream(target.c_str(), std::ios::binary) << "keep";
    DWORD error = 0;
    EXPECT_EQ(WriteEvenedClip(PathOf("speech.mp3").c_str(), target.c_str(), 1, nullptr, error), kEvenOutCannotCreate);
    std::ifstream in(target.c_str(), std::ios::binary);
    std::string text;
    in >> text;
    EXPECT_EQ(text, "keep");
}

}  // namespace
