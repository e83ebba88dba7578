// Distribution summaries of the one-day values (Value of the group's records)
// and the habitual values (Habitual of its persons), both on the intake
// scale.
//
// ComputePercentiles
//   Reads:    Records[0 .. NData) and Persons[0 .. NPerson) as left by the
//             earlier steps.
//   Writes:   PctDaily and PctHabit; uses Scratch as sort room.
//   Reorders: Records ascending by Transformed, Persons ascending by
//             ShrunkMean (values that are not numbers last).
// The other operations store nothing: each is one pass over the values in
// the order ComputePercentiles left them.
#pragma once

#include <cmath>
#include <cstdint>

#include "engine/Anova1Way.h"

namespace habitual {

// Where a sample quantile of n sorted values is read: between the values at
// the one-based positions K and K + 1, a fraction F of the way.
struct TQuantilePosition {
    std::int64_t K = 0;
    double F = 0;
};

// Entry p (0 .. 100) of the percentiles of n values: position (n + 1) p / 100
// (the integer product (n + 1) p, times 0.01).
inline TQuantilePosition PercentilePosition(std::int64_t n, int p) {
    const double a = static_cast<double>((n + 1) * p) * 0.01;
    const auto k = static_cast<std::int64_t>(std::floor(a));
    return {k, a - static_cast<double>(k)};
}

// The value at a position among x(0) .. x(n - 1) in ascending order, the
// sample quantile of type 6 in Hyndman, R. J. and Fan, Y. (1996), Sample
// quantiles in statistical packages, The American Statistician 50, 361-365:
// interpolated linearly; positions below 1 give the first value, positions of
// n or more the last.
template <class Value> double ValueAtPosition(std::int64_t n, TQuantilePosition at, Value x) {
    if (at.K == 0) return x(0);
    if (at.K >= n) return x(n - 1);
    return (1 - at.F) * x(at.K - 1) + at.F * x(at.K);
}

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
