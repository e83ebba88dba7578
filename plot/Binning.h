// Histogram bins and point thinning: what keeps a figure of a large group
// small without changing what it shows.
#pragma once

#include <cstddef>
#include <vector>

namespace habitual::plot {

// Edges of equal-width bins covering [lo, hi] for the values of sample (on
// the scale the bins are drawn on). The width follows Freedman and Diaconis,
// 2 IQR n^(-1/3) (D. Freedman and P. Diaconis, "On the histogram as a density
// estimator: L2 theory", Z. Wahrscheinlichkeitstheorie verw. Gebiete 57,
// 1981, 453-476); where the interquartile range is 0, Sturges' number of
// bins, 1 + log2 n (H. A. Sturges, "The choice of a class interval", JASA 21,
// 1926, 65-66). Between 5 and 80 bins, the width rounded to 1, 2 or 5 times a
// power of ten, the edges at its multiples. sample is reordered.
std::vector<double> BinEdges(std::vector<double>& sample, double lo, double hi);

// The share (percent of total) of values in each bin of edges; a value on an
// inner edge counts in the bin above it, the last edge belongs to the last
// bin. Values outside the edges or not numbers are not counted.
std::vector<double> BinShares(const std::vector<double>& values, const std::vector<double>& edges,
                              double total);

// Which of n points in rank order a plot draws: all of them up to limit,
// else every one of the tails smallest and largest (where a probability
// plot shows its departures) and evenly spaced ranks between them, limit in
// all. Ascending.
std::vector<std::size_t> ThinnedRanks(std::size_t n, std::size_t limit = 3000,
                                      std::size_t tails = 250);

} // namespace habitual::plot
