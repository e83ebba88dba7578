// Distribution summaries of the one-day values (Value of the group's records)
// and the habitual values (Habitual of its persons), both on the intake
// scale.
//
// ComputePercentiles
//   Reads:    Records[0 .. NData) and Persons[0 .. NPerson) as left by the
//             earlier steps.
//   Writes:   PctDaily and PctHabit.
//   Reorders: Records ascending by Transformed, Persons ascending by
//             ShrunkMean (values that are not numbers last).
// The other operations store nothing: each is one pass over the values in
// the order ComputePercentiles left them.
#pragma once

#include "engine/Anova1Way.h"

namespace habitual {

void ComputePercentiles(TAnova1Way& ctx);
double DailyMean(const TAnova1Way& ctx);
double HabitMean(const TAnova1Way& ctx);
// Standard deviations with divisor n - 1.
double DailySD(const TAnova1Way& ctx);
double HabitSD(const TAnova1Way& ctx);
// The fraction of values strictly below limit.
double DailyShareBelow(const TAnova1Way& ctx, double limit);
double HabitShareBelow(const TAnova1Way& ctx, double limit);

} // namespace habitual
