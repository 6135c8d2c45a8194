// How far evening out moves a clip, and what holds it back.
#include <gtest/gtest.h>
#include "audio/loudness/even_out_plan.h"

namespace {

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

}  // namespace
