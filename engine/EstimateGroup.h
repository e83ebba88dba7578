// The estimation of one group, as every caller runs it: the run's per-group
// analysis, the tests, and any loop that analyses groups again.
#pragma once

#include "engine/Anova.h"
#include "engine/Anova1Way.h"
#include "engine/HabitualEstimate.h"
#include "engine/Percentiles.h"
#include "engine/Settings.h"
#include "engine/Transform.h"

namespace habitual {

// Copies NormalizeMethod, VWSpec and VWBRatioSpec from the settings into the
// workspace, then runs Transform, Anova, EstimateHabitual and
// ComputePercentiles in this order. Records[0 .. NData) must hold the group
// (PersonKey, PersonPrefix, Draw, RowNo, Value) and Keys the run's keys.
void EstimateGroup(TAnova1Way& ctx, const TAnalysisSettings& settings);

// True when both variance components are positive, so that the habitual
// distribution can be shown (a component that is not a number is not).
inline bool HabitualEstimable(const TAnova1Way& ctx) {
    return ctx.VB > 0 && ctx.VW > 0;
}

} // namespace habitual
