// The rules behind the main window's commands that need no window: spot placement and hits,
// the side file's bytes, the playback order around spots, and the recording clock.
#include <gtest/gtest.h>
#include "app/playback_sequence.h"
#include "app/recording_clock.h"
#include "app/spot_rules.h"

namespace {

constexpr uint32_t kMinute = 60000;

TEST(SpotRules, TwelveMinuteClipAllowsThreeSpots) {
    SpotSet set;
    const uint32_t length = 12 * kMinute;
    EXPECT_EQ(spots::CheckPlacement(set, 3 * kMinute, length).verdict, spots::Placement::kAllowed);
    set = {3 * kMinute, 6 * kMinute, 9 * kMinute};
    const spots::Placement fourth = spots::CheckPlacement(set, 11 * kMinute, length);
    EXPECT_EQ(fourth.verdict, spots::Placement::kTooMany);
    EXPECT_EQ(fourth.maxSpots, 3u);
    EXPECT_EQ(fourth.clipMinutes, 12u);
    EXPECT_EQ(spots::MaxSpotsFor(300000), 1u);
    EXPECT_EQ(spots::MaxSpotsFor(300001), 2u);
    EXPECT_EQ(spots::MaxSpotsFor(0), 0u);
}

TEST(SpotRules, NthSpotWithinNTimesTwentyMinutes) {
    const uint32_t hour = 60 * kMinute;
    SpotSet set;
    const spots::Placement late = spots::CheckPlacement(set, 25 * kMinute, hour);
    EXPECT_EQ(late.verdict, spots::Placement::kTooLate);
    EXPECT_EQ(late.number, 1u);
    EXPECT_EQ(late.latestMinute, 20u);
    EXPECT_EQ(spots::CheckPlacement(set, 20 * kMinute, hour).verdict, spots::Placement::kAllowed);
    set.insert(20 * kMinute);
    EXPECT_EQ(spots::CheckPlacement(set, 40 * kMinute, hour).verdict, spots::Placement::kAllowed);
    EXPECT_EQ(spots::CheckPlacement(set, 41 * kMinute, hour).verdict, spots::Placement::kTooLate);
}

TEST(SpotRules, CursorFindsASpotWithinTheTolerance) {
    const uint32_t tolerance = spots::HitTolerance(5);
    EXPECT_EQ(tolerance, 400u);
    uint32_t found = 0;
    const SpotSet set{100, 10000};
    EXPECT_TRUE(spots::SpotAt(set, 10300, tolerance, found));
    EXPECT_EQ(found, 10000u);
    EXPECT_FALSE(spots::SpotAt(set, 10400, tolerance, found));
    EXPECT_FALSE(spots::SpotAt(set, 9600, tolerance, found));
    // A spot nearer the start than the tolerance is found from 0 up to itself only.
    EXPECT_TRUE(spots::SpotAt(set, 0, tolerance, found));
    EXPECT_EQ(found, 100u);
    EXPECT_TRUE(spots::SpotAt(set, 100, tolerance, found));
    EXPECT_FALSE(spots::SpotAt(set, 101, tolerance, found));
}

TEST(SpotRules, SideFileIsLittleEndianValuesAndIgnoresATrailingFragment) {
    const SpotSet set{1, 0x01020304};
    const std::string bytes = spots::SideFileBytes(set);
    EXPECT_EQ(bytes, std::string("\x01\0\0\0\x04\x03\x02\x01", 8));
    EXPECT_EQ(spots::ParseSideFile(bytes + "\x7f\x7f\x7f"), set);
    EXPECT_TRUE(spots::ParseSideFile("\x01\x02").empty());
}

TEST(SpotRules, ContinuingAClipKeepsSpotsUpToTheCut) {
    SpotSet set{5000, 10000, 10001, 20000};
    spots::DropSpotsAfter(set, 10000);
    EXPECT_EQ(set, (SpotSet{5000, 10000}));
}

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

TEST(RecordingClock, WarnsOnceThenStopsPastTwoHours) {
    using recording::ClockAction;
    using recording::ClockStep;
    const uint32_t max = recording::kMaxLengthMs, before = recording::kWarnBeforeMs;
    EXPECT_EQ(ClockStep(6300000, max, before, false), ClockAction::None);
    EXPECT_EQ(ClockStep(6300001, max, before, false), ClockAction::Warn);
    EXPECT_EQ(ClockStep(6300001, max, before, true), ClockAction::None);
    EXPECT_EQ(ClockStep(7200000, max, before, true), ClockAction::None);
    EXPECT_EQ(ClockStep(7200001, max, before, true), ClockAction::Stop);
    // A tick that warns does nothing more, even past the limit.
    EXPECT_EQ(ClockStep(7200001, max, before, false), ClockAction::Warn);
}

}  // namespace
