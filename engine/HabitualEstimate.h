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

#include "engine/Anova1Way.h"
#include "engine/Settings.h"

namespace habitual {

void EstimateHabitual(TAnova1Way& ctx, const TAnalysisSettings& settings);

// The intake-scale value of a shrunk mean s: the inverse of the
// transformation at s plus half its second derivative times VW.
double BackTransform(const TAnova1Way& ctx, double s);

} // namespace habitual
