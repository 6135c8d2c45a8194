// Pauses: where a spot snaps to, what a live position allows, and walking them by ear.
#include <gtest/gtest.h>

#include "app/command_rules/pause_rules.h"

using namespace pauses;

namespace {

constexpr uint8_t kLoud = 10;    // -5 dB
constexpr uint8_t kQuiet = 100;  // -50 dB

// 9 s: loud, with pauses at 2000-2500 (middle 2250) and 5000-6000 (middle 5500), and a
// 200 ms dip at 3800 too short to be one.
levels::Codes Clip() {
    levels::Codes codes(9000 / levels::kBlockMs, kLoud);
    auto quiet = [&](uint32_t from, uint32_t to) {
        for (uint32_t ms = from; ms < to; ms += levels::kBlockMs) codes[ms / levels::kBlockMs] = kQuiet;
    };
    quiet(2000, 2500);
    quiet(3800, 4000);
    quiet(5000, 6000);
    return codes;
}

Scope Idle(const levels::Codes& codes) { return Scope{&codes, QuietCode(codes), 9000, false}; }

const auto kAny = [](uint32_t) { return true; };

}  // namespace

TEST(PauseRules, ASpotSnapsToTheNearestAllowedPauseWithinTwoSecondsAndBehindALivePosition) {
    const levels::Codes codes = Clip();
    const Scope scope = Idle(codes);
    uint32_t target = 0;
    ASSERT_TRUE(SnapTarget(scope, 3700, kAny, target));  // 1450 ms to one, 1800 to the other
    EXPECT_EQ(target, 2250u);
    ASSERT_TRUE(SnapTarget(scope, 4000, kAny, target));
    EXPECT_EQ(target, 5500u);
    // The nearest is refused by the placing rules: the next one within reach is taken.
    ASSERT_TRUE(SnapTarget(scope, 3700, [](uint32_t m) { return m != 2250; }, target));
    EXPECT_EQ(target, 5500u);
    EXPECT_FALSE(SnapTarget(scope, 4600, [](uint32_t m) { return m != 5500; }, target));
    EXPECT_FALSE(SnapTarget(scope, 7600, kAny, target));  // 2100 ms away
    EXPECT_FALSE(SnapTarget(scope, 3900, [](uint32_t m) { return m != 2250 && m != 5500; }, target));

    // Where the levels are not known yet nothing snaps.
    levels::Codes scanning = codes;
    for (uint32_t b = 2100 / levels::kBlockMs; b < 2300 / levels::kBlockMs; ++b) scanning[b] = levels::kUnknown;
    EXPECT_FALSE(SnapTarget(Idle(scanning), 2300, kAny, target));
    // Digital silence throughout has no loud level to be below.
    const levels::Codes silent(400, levels::kSilent);
    EXPECT_FALSE(SnapTarget(Idle(silent), 4000, kAny, target));

    // A live position counts only pauses that ended behind it.
    Scope live{&codes, QuietCode(codes), 5800, true};  // inside the second pause
    EXPECT_FALSE(SnapTarget(live, 5700, kAny, target));
    live.limitMs = 6100;
    ASSERT_TRUE(SnapTarget(live, 6000, kAny, target));
    EXPECT_EQ(target, 5500u);
}

TEST(PauseRules, CtrlArrowsWalkThePausesByEar) {
    const levels::Codes codes = Clip();
    const Scope scope = Idle(codes);
    uint32_t at = 0, middle = 0;
    std::vector<uint32_t> forward;
    while (NextPauseMiddle(scope, at, middle)) forward.push_back(at = middle);
    EXPECT_EQ(forward, (std::vector<uint32_t>{2250, 5500}));
    std::vector<uint32_t> back;
    at = 9000;
    while (PreviousPauseMiddle(scope, at, middle)) back.push_back(at = middle);
    EXPECT_EQ(back, (std::vector<uint32_t>{5500, 2250}));
    // A cursor a little past a middle still goes back to it.
    ASSERT_TRUE(PreviousPauseMiddle(scope, 2300, middle));
    EXPECT_EQ(middle, 2250u);
}
