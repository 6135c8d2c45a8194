// What a cut does to the spots, the cursor and the levels kept beside the clip.
#include <gtest/gtest.h>

#include "app/editing/cut_rules.h"

namespace {

// The recording format: 1152 samples at 44100 Hz, 26.12 ms a frame.
const cuts::FrameClock kClock{1152.0 * 1000 / 44100, 1152, 44100};

// Frames [77, 123) cut, two of them kept as the seam's carriers: 44 frames removed.
std::vector<cuts::Seam> OneSeam() { return cuts::SeamsOf({{77, 121, 123}}, kClock); }

}  // namespace

TEST(CutRules, SpotsInsideAndAtTheStartGoTheOneAtTheEndLandsOnTheSeamLaterOnesMoveBack) {
    const std::vector<cuts::Seam> seams = OneSeam();
    ASSERT_EQ(seams.size(), 1u);
    EXPECT_EQ(seams[0].startMs, 2011u);
    EXPECT_EQ(seams[0].endMs, 3213u);
    const uint32_t removedMs = cuts::RemovedMsThrough(seams[0], kClock.sampleRate);
    EXPECT_EQ(removedMs, 1149u);  // 44 frames of 1152 samples
    const cuts::SpotsAfterCuts moved = cuts::MoveSpots({1000, 2011, 2500, 3213, 5000}, seams, kClock.sampleRate);
    EXPECT_EQ(moved.removed, (std::vector<uint32_t>{2011, 2500}));
    EXPECT_EQ(moved.spots, (SpotSet{1000, 3213 - removedMs, 5000 - removedMs}));
    // The cursor inside the stretch goes to the seam, where the kept sound begins.
    EXPECT_EQ(cuts::PositionAfterCuts(2600, seams, kClock.sampleRate), 3213 - removedMs);
}

TEST(CutRules, HundredsOfSeamsConvertTheRemovedSamplesOnceAndDoNotDrift) {
    std::vector<PlannedCut> made;
    for (uint32_t i = 0; i < 400; ++i) made.push_back({100 + i * 100, 100 + i * 100 + 1, 100 + i * 100 + 3});
    const std::vector<cuts::Seam> seams = cuts::SeamsOf(made, kClock);
    // 400 frames of 1152 samples: exactly 10448.98 ms, not 400 times a rounded 26 ms.
    EXPECT_EQ(cuts::RemovedMsThrough(seams.back(), kClock.sampleRate), 10449u);
    const uint32_t end = seams.back().endMs + 1000;
    EXPECT_EQ(cuts::PositionAfterCuts(end, seams, kClock.sampleRate), end - 10449u);
}

TEST(CutRules, LevelsMoveByWholeBlocksAndTheSeamIsMeasuredAgain) {
    levels::Codes codes(250);  // 5 s of a 6 s clip measured
    for (size_t i = 0; i < codes.size(); ++i) codes[i] = static_cast<uint8_t>(i % 200);
    const std::vector<cuts::Seam> seams = OneSeam();  // 1149 ms: 57 blocks
    const levels::Codes after = cuts::LevelsAfterCuts(codes, seams, kClock.sampleRate, 6000 - 1149);
    ASSERT_EQ(after.size(), levels::BlocksFor(6000 - 1149));
    EXPECT_EQ(after[50], codes[50]);                      // before the seam
    EXPECT_EQ(after[150], codes[150 + 57]);               // after it, moved back
    for (size_t b = 99; b < 105; ++b) EXPECT_EQ(after[b], levels::kUnknown) << b;  // around the seam
    EXPECT_EQ(after[250 - 57 - 1], codes[249]);
    EXPECT_EQ(after.back(), levels::kUnknown);            // beyond what was measured
}
