// Evening out as a user meets it: the plan and the written copy, measured again.
#include <gtest/gtest.h>
#include <fstream>
#include <string>
#include "audio/loudness/even_out_plan.h"
#include "audio/loudness/even_out_writer.h"
#include "loudness_corpus.h"

namespace {

using namespace loudness_corpus;

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
