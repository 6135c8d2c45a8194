#include "audio/loudness/even_out_plan.h"

#include <algorithm>
#include <cmath>

EvenOutPlan PlanEvenOut(const ClipLoudness& clip) {
    EvenOutPlan plan;
    const LoudnessFigures& f = clip.figures;
    plan.resultLufs = f.integratedLufs;
    plan.resultPeakDbtp = f.truePeakDbtp;
    if (clip.rewrite != GainRewrite::Possible) {
        plan.limit = EvenOutLimit::NotPossible;
        return plan;
    }
    if (!std::isfinite(f.integratedLufs) || clip.gains.Empty()) {
        plan.limit = EvenOutLimit::Silent;
        return plan;
    }
    const double missing = kTargetLufs - f.integratedLufs;
    if (std::fabs(missing) <= kTargetToleranceLu) {
        plan.limit = EvenOutLimit::AlreadyThere;
        return plan;
    }
    int wanted = static_cast<int>(std::lround(missing / kGainStepDb));
    // Just beyond the tolerance rounds to nothing; one step is then the nearer.
    if (wanted == 0) wanted = missing > 0 ? 1 : -1;

    int steps = wanted;
    if (wanted > 0) {
        // A tiny margin keeps a peak that lands on the ceiling from being refused for rounding.
        const int peakRoom = std::isfinite(f.truePeakDbtp)
            ? static_cast<int>(std::floor((kPeakCeilingDbtp - f.truePeakDbtp) / kGainStepDb + 1e-9))
            : wanted;
        const int gainRoom = kMaxGlobalGain - clip.gains.highest;
        steps = std::max(0, std::min({wanted, peakRoom, gainRoom}));
        if (steps < wanted) plan.limit = peakRoom <= gainRoom ? EvenOutLimit::Peak : EvenOutLimit::GainRange;
    } else {
        const int gainRoom = kMinGlobalGain - clip.gains.lowest;
        steps = std::max(wanted, gainRoom);
        if (steps > wanted) plan.limit = EvenOutLimit::GainRange;
    }
    plan.steps = steps;
    plan.resultLufs = f.integratedLufs + steps * kGainStepDb;
    plan.resultPeakDbtp = f.truePeakDbtp + steps * kGainStepDb;
    return plan;
}
