// The three figures of an analysed group, made from its results (with the
// values, TRunOptions::WithValues):
//
// - HistogramFigure: the one-day and the habitual distribution as
//   histograms on shared bins ("daily-histogram" bars, "habit-histogram"
//   steps; heights in percent of each distribution's values), with a line at
//   each cut-off ("cutoff-1" ...) and both shares beside it.
// - CumulativeFigure: the percentile curves through the 101 percentiles of
//   the report ("daily-cdf", "habit-cdf": x the percentile's value, y its
//   percent), with the 95 % bands when given ("daily-band", "habit-band",
//   their limits "habit-band-lower" and "habit-band-upper").
// - NormalFigure: the transformed values against their normal scores
//   ("normal-points", with the least-squares line "normal-fit" and the
//   R-square), and under the best power the R-square of every candidate
//   ("candidate-r2", the chosen one "chosen-r2").
//
// The habitual parts only where the report shows the habitual distribution.
// What a figure cannot draw (values that are not numbers, values of 0 or
// less on a log axis, a missing habitual distribution) it says in a note.
#pragma once

#include <array>
#include <optional>

#include "engine/GroupResult.h"
#include "plot/Figure.h"

namespace habitual::plot {

struct TPlotOptions {
    bool LogAxis = false; // the intake axes (histogram, cumulative) on a log scale
    // File names begin with the analysis column's name (a run of several).
    bool ColumnInNames = false;
};

// A confidence band of one distribution: the lower and upper limits of each
// of its 101 percentiles.
struct TPercentileBand {
    std::array<double, 101> Lower{}, Upper{};
    double Level = 95; // percent
};

struct TBands {
    std::optional<TPercentileBand> Daily, Habit;
};

TFigure HistogramFigure(const TGroupResult& r, const TPlotOptions& options);
TFigure CumulativeFigure(const TGroupResult& r, const TPlotOptions& options,
                         const TBands& bands = {});
TFigure NormalFigure(const TGroupResult& r);

// The bands of the run's confidence intervals for the group, where the run
// computed them.
TBands RunBands(const TGroupResult& r);

struct TGroupFigures {
    TFigure Histogram, Cumulative, Normal;
};

// The three figures, the cumulative one with the run's bands.
TGroupFigures GroupFigures(const TGroupResult& r, const TPlotOptions& options);

} // namespace habitual::plot
