#include "plot/GroupPlots.h"

namespace habitual::plot {

TBands RunBands(const TGroupResult& r) {
    (void)r;
    TBands bands;
    // The run's confidence intervals are handed in here. Once TGroupResult
    // carries the lower and upper limits of the 101 percentiles of both
    // distributions, copy them into bands.Daily and bands.Habit (Level: the
    // interval's level in percent), leaving a side empty where the run has no
    // interval for it. Until then the cumulative figure has no band.
    return bands;
}

TGroupFigures GroupFigures(const TGroupResult& r, const TPlotOptions& options) {
    return {HistogramFigure(r, options), CumulativeFigure(r, options, RunBands(r)),
            NormalFigure(r)};
}

} // namespace habitual::plot
