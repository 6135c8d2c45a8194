// The tightening of pauses: which stretches go, where the spots of a shortened pause go, and
// the lengths as the dialog reads them.
#include <gtest/gtest.h>

#include "app/editing/cut_rules.h"
#include "app/editing/tighten_rules.h"

using namespace tighten;

namespace {

constexpr uint8_t kLoud = 10;    // -5 dB
constexpr uint8_t kQuiet = 100;  // -50 dB

cuts::FrameClock Clock() {
    cuts::FrameClock clock;
    clock.msPerFrame = 26.12244987487793;  // 1152 samples at 44100 Hz
    clock.samplesPerFrame = 1152;
    clock.sampleRate = 44100;
    clock.seamCarriers = 2;
    return clock;
}

void Quiet(levels::Codes& codes, uint32_t fromMs, uint32_t toMs, uint8_t code = kQuiet) {
    for (uint32_t ms = fromMs; ms < toMs; ms += levels::kBlockMs) codes[ms / levels::kBlockMs] = code;
}

// 20 s, loud, with pauses of 1000 ms at 2000, 2000 ms at 6000 and 1300 ms at 12000.
levels::Codes Clip() {
    levels::Codes codes(20000 / levels::kBlockMs, kLoud);
    Quiet(codes, 2000, 3000);
    Quiet(codes, 6000, 8000);
    Quiet(codes, 12000, 13300);
    return codes;
}

}  // namespace

TEST(TightenRules, PausesLongerThanTheLengthLoseWholeFramesFromTheirMiddleLeavingAtLeastTheOther) {
    const cuts::FrameClock clock = Clock();
    const Plan plan = PlanTightening(Clip(), 20000, Lengths{1200, 700}, clock);
    ASSERT_EQ(plan.cuts.size(), 2u);  // the 1000 ms pause is left alone
    for (const Shortening& cut : plan.cuts) {
        const uint32_t length = cut.pause.endMs - cut.pause.startMs;
        const double removed = (cut.endFrame - cut.firstFrame) * clock.msPerFrame;
        // What is left lies within a frame above 700 ms.
        EXPECT_GE(length - removed, 700.0);
        EXPECT_LT(length - removed, 700.0 + clock.msPerFrame);
        // Either side keeps half of it, to half a frame.
        const double before = cut.firstFrame * clock.msPerFrame - cut.pause.startMs;
        const double after = cut.pause.endMs - cut.endFrame * clock.msPerFrame;
        EXPECT_NEAR(before, after, clock.msPerFrame);
    }
    EXPECT_EQ(plan.cuts[0].pause.startMs, 6000u);
    EXPECT_EQ(plan.cuts[0].endFrame - plan.cuts[0].firstFrame, 49u);  // 1300 ms of 2000
    EXPECT_EQ(plan.cuts[1].pause.startMs, 12000u);
    EXPECT_EQ(plan.cuts[1].endFrame - plan.cuts[1].firstFrame, 22u);  // 600 ms of 1300
    // Saved at least: the frames less the carriers each seam may keep.
    EXPECT_EQ(plan.savedMs, (49u - 2 + 22 - 2) * 1152 * 1000 / 44100);
}

TEST(TightenRules, NothingIsCutWhereTheLevelsAreNotKnown) {
    levels::Codes codes = Clip();
    Quiet(codes, 7000, 7100, levels::kUnknown);  // inside the 2000 ms pause
    Quiet(codes, 13300, 13400, levels::kUnknown);  // right after the 1300 ms one
    const Plan plan = PlanTightening(codes, 20000, Lengths{400, 300}, Clock());
    // The two halves of the first pause touch the unknown blocks, and so does the last
    // pause: only the 1000 ms one, measured whole, is shortened.
    ASSERT_EQ(plan.cuts.size(), 1u);
    EXPECT_EQ(plan.cuts[0].pause.startMs, 2000u);
    EXPECT_EQ(plan.unknownMs, 200u);
    for (const Shortening& cut : plan.cuts)
        for (uint32_t ms = cut.startMs; ms < cut.endMs; ms += levels::kBlockMs)
            EXPECT_NE(codes[ms / levels::kBlockMs], levels::kUnknown);
}

TEST(TightenRules, LengthsOutsideTheLimitsShortenNothing) {
    const levels::Codes codes = Clip();
    EXPECT_TRUE(PlanTightening(codes, 20000, Lengths{1200, 299}, Clock()).cuts.empty());   // below a pause
    EXPECT_TRUE(PlanTightening(codes, 20000, Lengths{700, 700}, Clock()).cuts.empty());    // not shorter
    EXPECT_TRUE(PlanTightening(codes, 20000, Lengths{60001, 700}, Clock()).cuts.empty());  // too long
    EXPECT_EQ(PlanTightening(codes, 20000, Lengths{301, 300}, Clock()).cuts.size(), 3u);
    // A pause less than a frame longer than what it keeps loses nothing.
    const Plan plan = PlanTightening(codes, 20000, Lengths{1290, 1280}, Clock());
    ASSERT_EQ(plan.cuts.size(), 1u);
    EXPECT_EQ(plan.cuts[0].pause.startMs, 6000u);
}

TEST(TightenRules, ASpotInADeletedStretchMovesToTheMiddleOfWhatIsLeftOfItsPause) {
    const cuts::FrameClock clock = Clock();
    const Plan plan = PlanTightening(Clip(), 20000, Lengths{1200, 700}, clock);
    ASSERT_EQ(plan.cuts.size(), 2u);
    std::vector<PlannedCut> made;
    std::vector<cuts::PauseSpan> pauses;
    for (const Shortening& cut : plan.cuts) {
        made.push_back(PlannedCut{cut.firstFrame, cut.endFrame - 2, cut.endFrame});  // 2 carriers
        pauses.push_back(cuts::PauseSpan{cut.pause.startMs, cut.pause.endMs});
    }
    const std::vector<cuts::Seam> seams = cuts::SeamsOf(made, clock);
    const uint32_t firstMiddle = (cuts::PositionAfterCuts(6000, seams, 44100) + cuts::PositionAfterCuts(8000, seams, 44100)) / 2;

    // A spot in the first cut moves to the middle; one after both cuts moves back.
    cuts::SpotsIntoPauses moved = cuts::MoveSpotsIntoPauses({7000, 15000}, seams, pauses, 44100, 400);
    EXPECT_EQ(moved.spots, (SpotSet{firstMiddle, cuts::PositionAfterCuts(15000, seams, 44100)}));
    EXPECT_TRUE(moved.merged.empty());
    EXPECT_TRUE(moved.removed.empty());
    EXPECT_NEAR(firstMiddle, 6000 + 350 + 26, 30);  // the kept 720 ms, with the carriers' 52 ms

    // Two spots in one cut meet: the second merges with the first; so does one whose middle
    // already holds a spot in the kept part of the pause.
    moved = cuts::MoveSpotsIntoPauses({6100, 6500, 7400}, seams, pauses, 44100, 400);
    ASSERT_EQ(moved.spots.size(), 1u);
    EXPECT_EQ(*moved.spots.begin(), 6100u);
    ASSERT_EQ(moved.merged.size(), 2u);
    EXPECT_EQ(moved.merged[0].from, 6500u);
    EXPECT_EQ(moved.merged[0].into, 6100u);
    EXPECT_EQ(moved.merged[1].from, 7400u);
}

TEST(TightenRules, LengthsAreSecondsWithAPointOrACommaAndAtMostThreeDecimals) {
    uint32_t ms = 0;
    ASSERT_TRUE(ParseSeconds(L"1.2", ms));
    EXPECT_EQ(ms, 1200u);
    ASSERT_TRUE(ParseSeconds(L" 0,75 ", ms));
    EXPECT_EQ(ms, 750u);
    ASSERT_TRUE(ParseSeconds(L"2", ms));
    EXPECT_EQ(ms, 2000u);
    ASSERT_TRUE(ParseSeconds(L".3", ms));
    EXPECT_EQ(ms, 300u);
    EXPECT_FALSE(ParseSeconds(L"", ms));
    EXPECT_FALSE(ParseSeconds(L".", ms));
    EXPECT_FALSE(ParseSeconds(L"1.2345", ms));
    EXPECT_FALSE(ParseSeconds(L"1 s", ms));
    EXPECT_FALSE(ParseSeconds(L"-1", ms));
    EXPECT_EQ(SecondsText(1200), L"1.2");
    EXPECT_EQ(SecondsText(750), L"0.75");
    EXPECT_EQ(SecondsText(60000), L"60");
}
