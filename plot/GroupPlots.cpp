#include "plot/GroupPlots.h"

namespace habitual::plot {

TBands RunBands(const TGroupResult& r) {
    TBands bands;
    if (!r.Intervals) return bands;
    const TGroupIntervals& iv = *r.Intervals;
    auto band = [&iv](const TDistributionIntervals& d) {
        TPercentileBand b;
        for (std::size_t i = 0; i < d.Pct.size(); ++i) {
            b.Lower[i] = d.Pct[i].Lower;
            b.Upper[i] = d.Pct[i].Upper;
        }
        b.Level = iv.Level;
        return b;
    };
    if (iv.Replicates > 0) bands.Daily = band(iv.Daily);
    // The habitual limits come only from replicates with a habitual distribution.
    if (iv.Usable() > 0) bands.Habit = band(iv.Habit);
    return bands;
}

TGroupFigures GroupFigures(const TGroupResult& r, const TPlotOptions& options) {
    return {HistogramFigure(r, options), CumulativeFigure(r, options, RunBands(r)),
            NormalFigure(r)};
}

} // namespace habitual::plot
