// How many global-gain steps bring a measured clip to podcast loudness: -19 LUFS for a mono
// episode (-16 LUFS for stereo, which plays a mono file 3 LU louder on both channels), true
// peaks at or below -1 dBTP. Pure logic.
#pragma once
#include "audio/loudness/loudness_meter.h"

constexpr double kTargetLufs = -19.0;
constexpr double kTargetToleranceLu = 0.75;
constexpr double kPeakCeilingDbtp = -1.0;

// Why a plan changes less than the whole way to the target, or nothing.
enum class EvenOutLimit {
    None,          // the steps reach the target as nearly as whole steps can
    AlreadyThere,  // within the tolerance of the target: nothing to change
    Peak,          // louder would push the true peak above the ceiling
    GainRange,     // a granule's gain would leave its field
    Silent,        // no loudness to measure
    NotPossible,   // the file's frames cannot be changed (ClipLoudness::rewrite)
};

struct EvenOutPlan {
    int steps = 0;  // global-gain steps for every coded granule, negative for quieter
    EvenOutLimit limit = EvenOutLimit::None;
    double resultLufs = 0;
    double resultPeakDbtp = 0;
};

EvenOutPlan PlanEvenOut(const ClipLoudness& clip);
