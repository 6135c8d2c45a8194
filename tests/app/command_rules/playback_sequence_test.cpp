// The playback order around spots.
#include <gtest/gtest.h>
#include "app/command_rules/playback_sequence.h"

namespace {

using Step = PlaybackSequence::Step;

TEST(PlaybackSequence, ClipJingleClipJingleClipToTheEnd) {
    const SpotSet set{60000, 120000};
    PlaybackSequence sequence;
    Step step = sequence.Begin(30000, set);
    EXPECT_EQ(step.kind, Step::kClip);
    EXPECT_EQ(step.start, 30000u);
    EXPECT_EQ(step.end, 60000u);
    EXPECT_EQ(sequence.PositionAt(1500), 31500u);

    step = sequence.RangeEnded(set);
    EXPECT_EQ(step.kind, Step::kJingle);
    EXPECT_EQ(sequence.PositionAt(700), 60000u);  // the cursor waits at the spot

    step = sequence.RangeEnded(set);
    EXPECT_EQ(step.kind, Step::kClip);
    EXPECT_EQ(step.start, 60000u);
    EXPECT_EQ(step.end, 120000u);
    EXPECT_EQ(sequence.RangeEnded(set).kind, Step::kJingle);

    step = sequence.RangeEnded(set);
    EXPECT_EQ(step.start, 120000u);
    EXPECT_EQ(step.end, PlaybackSequence::kToEnd);
    EXPECT_EQ(sequence.RangeEnded(set).kind, Step::kStop);
}

TEST(PlaybackSequence, ASpotUnderTheCursorDoesNotInterrupt) {
    PlaybackSequence sequence;
    const Step step = sequence.Begin(60000, SpotSet{60000});
    EXPECT_EQ(step.end, PlaybackSequence::kToEnd);
    EXPECT_EQ(sequence.RangeEnded(SpotSet{60000}).kind, Step::kStop);
}

TEST(PlaybackSequence, StoppedDuringTheJingleTheCursorStandsAtTheSpot) {
    PlaybackSequence sequence;
    sequence.Begin(0, SpotSet{5000});
    sequence.RangeEnded(SpotSet{5000});
    ASSERT_TRUE(sequence.PlayingJingle());
    EXPECT_EQ(sequence.PositionAt(400), 5000u);
    // The next Play starts from wherever the cursor is, with the jingle forgotten.
    sequence.Begin(5000, SpotSet{5000});
    EXPECT_FALSE(sequence.PlayingJingle());
}

}  // namespace
