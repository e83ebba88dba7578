#include "engine/GroupResult.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/EstimateGroup.h"

namespace habitual {
TGroupResult CaptureGroupResult(const TAnova1Way& ctx, const TAnalysisSettings& settings,
                                const TGroupHeading& heading, bool withValues) {
    TGroupResult r;
    r.Heading = heading;
    r.N = ctx.N;
    r.NPerson = ctx.NPerson;
    r.NMultiDay = ctx.NMultiDay;
    r.MinDays = ctx.MinDays;
    r.MaxDays = ctx.MaxDays;
    r.MeanDays = ctx.MeanDays;

    r.NormalizeMethod = ctx.NormalizeMethod;
    r.LogApplied = LogApplied(ctx);
    r.Power = ctx.NormalizeMethod == Normalize::Log    ? 0.0
              : ctx.NormalizeMethod == Normalize::None ? 1.0
                                                       : ctx.Power;
    r.LogOffset = r.LogApplied ? ctx.LogOffset : 0.0;
    // The transformed values are ascending, as ComputePercentiles left them.
    r.PlotRSquare = TransformedPlotRSquare(ctx);
    if (ctx.NormalizeMethod == Normalize::BestPower) {
        r.CandidateRSquare.assign(std::begin(ctx.CandidateRSquare), std::end(ctx.CandidateRSquare));
        r.ChosenCandidate = ctx.ChosenCandidate;
    }

    r.Mean = ctx.Mean;
    r.Var = ctx.Var;
    r.SD = ctx.SD;
    r.SSModel = ctx.SSModel;
    r.SSError = ctx.SSError;
    r.SSTotal = ctx.SSTotal;
    r.DFModel = ctx.DFModel;
    r.DFError = ctx.DFError;
    r.DFTotal = ctx.DFTotal;
    r.VW = ctx.VW;
    r.VB = ctx.VB;
    r.SDW = ctx.SDW;
    r.SDB = ctx.SDB;
    r.GivenVariance = GivenVarianceInForce(ctx.NormalizeMethod, settings.HendoMode);
    r.HabitualShown = HabitualEstimable(ctx);

    std::copy(std::begin(ctx.PctDaily), std::end(ctx.PctDaily), r.PctDaily.begin());
    std::copy(std::begin(ctx.PctHabit), std::end(ctx.PctHabit), r.PctHabit.begin());
    r.DailyMean = DailyMean(ctx);
    r.DailySD = DailySD(ctx);
    r.HabitMean = HabitMean(ctx);
    r.HabitSD = HabitSD(ctx);
    for (const TCutOff& cut : ParseCutOffs(settings.CutOffText)) {
        const double d = DailyShareBelow(ctx, cut.Limit);
        const double h = HabitShareBelow(ctx, cut.Limit);
        r.Shares.push_back(
            {cut.Limit, cut.Below, 100 * (cut.Below ? d : 1 - d), 100 * (cut.Below ? h : 1 - h)});
    }

    if (withValues) {
        const auto n = static_cast<std::size_t>(ctx.NData);
        r.DailyValues.resize(n);
        r.TransformedValues.resize(n);
        r.NormalScores.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            r.DailyValues[i] = ctx.Records[i].Value;
            r.TransformedValues[i] = ctx.Records[i].Transformed;
            r.NormalScores[i] = BlomScore(static_cast<std::int32_t>(i), ctx.NData);
        }
        r.HabitValues.resize(static_cast<std::size_t>(ctx.NPerson));
        for (std::int32_t i = 0; i < ctx.NPerson; ++i) r.HabitValues[i] = ctx.Persons[i].Habitual;
    }
    return r;
}

} // namespace habitual
