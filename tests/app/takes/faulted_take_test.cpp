// A take that a fault ended: where its sound ends, and when it is too short to join.
#include <gtest/gtest.h>
#include "app/takes/faulted_take.h"

TEST(FaultedTake, AContinuedTakeUnderASecondOfFramesIsLeftOutAndAFreshOneNever) {
    // 11 988 bytes after a cursor at 5 s: 999 ms of sound, left out.
    FaultedTake take = JudgeFaultedTake(11988, 5000, 9000, 0, true);
    EXPECT_EQ(take.reachedMs, 5999u);
    EXPECT_TRUE(take.leftOut);
    // The frames the encoder gave up at its stop make it a second: kept.
    take = JudgeFaultedTake(12000, 5000, 9000, 0, true);
    EXPECT_EQ(take.reachedMs, 6000u);
    EXPECT_FALSE(take.leftOut);
    // A fresh clip has nothing to be left as it was.
    EXPECT_FALSE(JudgeFaultedTake(0, 0, 300, 0, false).leftOut);
    // Without the part's size: the time it ran, less what the device left silent.
    take = JudgeFaultedTake(kUnknownPartSize, 5000, 9000, 3500, true);
    EXPECT_EQ(take.reachedMs, 5500u);
    EXPECT_TRUE(take.leftOut);
}
