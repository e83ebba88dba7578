// The 5 % critical values of the probability-plot correlation test for
// normality (Looney, S. W. and Gulledge, T. R. (1985), The American
// Statistician 39, 75-79) for the R-square this program computes: Blom's
// plotting positions with the standard-normal quantile of Abramowitz and
// Stegun 26.2.22 (TransformedPlotRSquare). The table was made by simulating normal
// samples (tests/statistics/make_plot_critical_values.sh).
#pragma once

#include <cstdint>

namespace habitual {

// The R-square below which normal samples of n values fall in 5 % of cases;
// not a number for n below 3 (two points always lie on a line). Between the
// sizes of the table, 1 - R-square is interpolated linearly in log n on a log
// scale; above its largest size (1,000,000) the value there is used.
double PlotRSquareCriticalValue(std::int64_t n);

} // namespace habitual
