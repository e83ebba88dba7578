// The estimation steps of one group, in the order the per-group analysis
// calls them: Transform, Anova, EstimateHabitual, ComputePercentiles.
#pragma once

#include "engine/Anova1Way.h"
#include "engine/Settings.h"

namespace habitual {

// Normalising transformation.
void Transform(TAnova1Way& ctx, const TAnalysisSettings& settings);
double FindBestPower(TAnova1Way& ctx);
void SetLogOffset(TAnova1Way& ctx);
double NormalPlotRSquare(const TAnova1Way& ctx);
double NormalQuantile(double p);

// Variance components by one-way analysis of variance over persons.
void Anova(TAnova1Way& ctx, const TAnalysisSettings& settings);

// Shrunk person means and their back-transformation.
void EstimateHabitual(TAnova1Way& ctx, const TAnalysisSettings& settings);
double BackTransform(const TAnova1Way& ctx, double s);

// Distribution summaries.
void ComputePercentiles(TAnova1Way& ctx);
double DailyMean(const TAnova1Way& ctx);
double HabitMean(const TAnova1Way& ctx);
double DailySD(const TAnova1Way& ctx);
double HabitSD(const TAnova1Way& ctx);
double DailyShareBelow(const TAnova1Way& ctx, double limit);
double HabitShareBelow(const TAnova1Way& ctx, double limit);

} // namespace habitual
