// The normalising transformation of a group, the first estimation step.
//
// Reads:    NData, Value of Records[0 .. NData) (intake scale), NormalizeMethod;
//           PowerText of the settings (given power only).
// Writes:   Transformed of those records (analysis scale), under every method;
//           best power also Power, RSquare, CandidateRSquare,
//           ChosenCandidate; LogOffset whenever a log is made or tried.
// Reorders: nothing (the best-power search sorts a copy of the values in
//           Scratch).
// Other methods leave Power and RSquare untouched: under the given power
// EstimateHabitual sets Power.
#pragma once

#include <cstdint>
#include <limits>

#include "engine/Anova1Way.h"
#include "engine/Settings.h"

namespace habitual {

// Transformed of every record: by NormalizeMethod the best power (the
// straightest normal probability plot of the log and 20 powers, chosen
// anew for each group), the log of Value + LogOffset, the values
// themselves, or the given power (0: the log). The power is the plain
// power x^p, not the Box-Cox form.
void Transform(TAnova1Way& ctx, const TAnalysisSettings& settings);

// The best-power search; returns the chosen Power (0 for the log).
double FindBestPower(TAnova1Way& ctx);

// LogOffset: half the algebraically smallest non-zero Value when some Value
// is 0, else 0.
void SetLogOffset(TAnova1Way& ctx);

// The sums of squares and products of values t(i) and scores z(i),
// i = 0 .. n - 1, about their means, which the caller has taken first in a
// pass of its own.
struct TPlotSums {
    double Stt = 0, Szz = 0, Stz = 0;
};
template <class T, class Z>
TPlotSums PlotSumsAbout(std::int32_t n, T t, Z z, double tMean, double zMean) {
    TPlotSums s;
    for (std::int32_t i = 0; i < n; ++i) {
        const double dt = t(i) - tMean;
        const double dz = z(i) - zMean;
        s.Stt += dt * dt;
        s.Szz += dz * dz;
        s.Stz += dt * dz;
    }
    return s;
}

// The R-square of a normal probability plot of values t(i) against scores
// z(i) about their means. Values that are all equal have no R-square (their
// mean may differ from them by a rounding error, which would make one up).
template <class T, class Z>
double PlotRSquareAbout(std::int32_t n, T t, Z z, double tMean, double zMean, bool allEqual) {
    if (allEqual) return std::numeric_limits<double>::quiet_NaN();
    const TPlotSums s = PlotSumsAbout(n, t, z, tMean, zMean);
    return s.Stz * s.Stz / (s.Stt * s.Szz);
}

// The same with the means taken here, in a first pass.
template <class T, class Z> double PlotRSquareOf(std::int32_t n, T t, Z z) {
    double st = 0, sz = 0;
    bool allEqual = true;
    for (std::int32_t i = 0; i < n; ++i) {
        st += t(i);
        sz += z(i);
        if (!(t(i) == t(0))) allEqual = false;
    }
    return PlotRSquareAbout(n, t, z, st / n, sz / n, allEqual);
}

// The R-square of the normal probability plot of the transformed values as
// the group's analysis leaves them (Records ascending by Transformed, after
// ComputePercentiles) against the scores of their ranks: the straightness
// of the transformation in use, under every method.
double TransformedPlotRSquare(const TAnova1Way& ctx);

// Approximate standard-normal quantile of p, 0 < p < 1.
double NormalQuantile(double p);

// The rational part of NormalQuantile: the upper-tail quantile for
// t = sqrt(ln(1 / q^2)), q the smaller of p and 1 - p.
inline double NormalQuantileOfTail(double t) {
    constexpr double a0 = 2.30753, a1 = 0.27061, b1 = 0.99229, b2 = 0.04481;
    return t - (a0 + a1 * t) / (1.0 + b1 * t + b2 * t * t);
}

// The standard-normal score of the i-th (from 0) of n values in ascending
// order, at Blom's plotting position (i + 1 - 0.375) / (n + 0.25).
double BlomScore(std::int32_t i, std::int32_t n);

// True when the log transformation was applied to the group: the log
// method, or a power of 0 chosen or given. Under the given power it is
// known once EstimateHabitual has set Power.
bool LogApplied(const TAnova1Way& ctx);
bool LogApplied(std::int32_t normalizeMethod, double power);

} // namespace habitual
