// Spot placement and hits, and the side file's bytes.
#include <gtest/gtest.h>
#include "app/command_rules/spot_rules.h"

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

}  // namespace
