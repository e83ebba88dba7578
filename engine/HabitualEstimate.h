// Habitual intake estimation: each person's mean is shrunk towards the group
// mean and transformed back to the units of the survey file.
//
// Reads:    VB, VW, Mean, NPerson, NDays and PersonMean of the persons
//           (analysis scale); NormalizeMethod, Power, LogOffset; PowerText of
//           the settings (given power only).
// Writes:   ShrunkMean (analysis scale) and Habitual (intake scale) of
//           Persons[0 .. NPerson); under the given power also Power.
// Reorders: nothing.
#pragma once

#include <cmath>
#include <cstdint>

#include "engine/Anova1Way.h"
#include "engine/Settings.h"

namespace habitual {

void EstimateHabitual(TAnova1Way& ctx, const TAnalysisSettings& settings);

// The shrinkage factor of a person with nDays records: sqrt(VB / (VB +
// VW / nDays)), and 0 when VB is not positive.
inline double ShrinkFactor(double vb, double vw, std::int32_t nDays) {
    return vb > 0 ? std::sqrt(vb / (vb + vw / nDays)) : 0.0;
}

// The back-transformation of a group, from what it reads of the workspace:
// the intake-scale value of a shrunk mean s is the inverse of the
// transformation at s plus half its second derivative times VW.
struct TBackTransform {
    std::int32_t NormalizeMethod = Normalize::BestPower;
    double Power = 0, LogOffset = 0, VW = 0;
    double operator()(double s) const;
};

inline TBackTransform BackTransformOf(const TAnova1Way& ctx) {
    return {ctx.NormalizeMethod, ctx.Power, ctx.LogOffset, ctx.VW};
}

inline double BackTransform(const TAnova1Way& ctx, double s) {
    return BackTransformOf(ctx)(s);
}

} // namespace habitual
