// What a run hands its caller about one analysed group: a plain value, valid
// after the run, holding everything the group's report shows and what a plot
// of the group needs.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <optional>

#include "engine/Anova1Way.h"
#include "engine/CutOffs.h"
#include "engine/GroupHeading.h"
#include "engine/GroupIntervals.h"
#include "engine/Notice.h"

namespace habitual {

struct TGroupResult {
    TGroupHeading Heading;

    // Counts.
    std::int32_t N = 0;       // records (one-day values)
    std::int32_t NPerson = 0; // persons (habitual values)
    std::int32_t NMultiDay = 0, MinDays = 0, MaxDays = 0;
    double MeanDays = 0;

    // The transformation in use.
    std::int32_t NormalizeMethod = Normalize::BestPower;
    bool LogApplied = false;
    double Power = 0;     // 0 for the log; 1 under no transformation
    double LogOffset = 0; // added before the log; 0 when no log was applied
    // R-square of the normal probability plot of the transformed values
    // (TransformedValues against NormalScores), under every method.
    double PlotRSquare = 0;
    // Best power only: the R-square of every candidate in the order tried
    // (the log, then the exponents 2, 1, 2/3 ... 1/10; not a number where a
    // candidate has none; for one that could not win, its screened value,
    // within about 1e-9 of the exact one) and the index of the one chosen
    // (-1: none was).
    std::vector<double> CandidateRSquare;
    int ChosenCandidate = -1;

    // Analysis of variance and variance components, analysis scale.
    double Mean = 0, Var = 0, SD = 0;
    double SSModel = 0, SSError = 0, SSTotal = 0;
    std::int32_t DFModel = 0, DFError = 0, DFTotal = 0;
    double VW = 0, VB = 0, SDW = 0, SDB = 0;
    bool GivenVariance = false; // a given within-person variance or ratio replaced the estimate
    bool HabitualShown = false; // both components positive: the habitual side is reported

    // Distributions, intake scale: entry p is the p-th percentile.
    std::array<double, 101> PctDaily{}, PctHabit{};
    double DailyMean = 0, DailySD = 0, HabitMean = 0, HabitSD = 0;
    // One entry per cut-off: the shares in percent as the report gives them
    // (below Limit when Below, else at or above it).
    struct TShare {
        double Limit = 0;
        bool Below = false;
        double Daily = 0, Habit = 0;
    };
    std::vector<TShare> Shares;

    // The bootstrap confidence intervals of the figures above, for all 101
    // percentiles of both distributions, when the run asked for them and the
    // habitual distribution is shown.
    std::optional<TGroupIntervals> Intervals;
    // The group's notices, as the run handed them to its caller.
    std::vector<TNotice> Notices;

    // Filled only when the caller asks for the values (they take memory in
    // proportion to the group): the one-day values and the habitual values in
    // the order the percentiles are read from (ascending for intakes of 0 or
    // more), and the transformed values, ascending, with the standard-normal
    // scores of their ranks (Blom's positions). Values that are not numbers
    // come last.
    std::vector<double> DailyValues, HabitValues;
    std::vector<double> TransformedValues, NormalScores;
};

// The result of a group whose estimation steps have run in ctx.
TGroupResult CaptureGroupResult(const TAnova1Way& ctx, const TAnalysisSettings& settings,
                                const TGroupHeading& heading, bool withValues);

} // namespace habitual
