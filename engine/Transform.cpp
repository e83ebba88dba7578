#include "engine/Transform.h"
#include <algorithm>
#include <bitset>
#include <cmath>
#include <limits>
#include <vector>

#include "engine/Decimal.h"
#include "engine/Elementary.h"
#include "engine/PowerScreen.h"
#include "engine/RadixSort.h"

namespace habitual {
namespace {

void ApplyLog(TAnova1Way& ctx) {
    for (std::int32_t i = 0; i < ctx.NData; ++i) {
        TGroupRecord& r = ctx.Records[i];
        r.Transformed = Log(r.Value + ctx.LogOffset);
    }
}

void ApplyPower(TAnova1Way& ctx, double power) {
    for (std::int32_t i = 0; i < ctx.NData; ++i) {
        TGroupRecord& r = ctx.Records[i];
        r.Transformed = Pow(r.Value, power);
    }
}

} // namespace

// Abramowitz, M. and Stegun, I. A. (1964), Handbook of Mathematical
// Functions, formula 26.2.22: a rational approximation of the upper tail,
// absolute error below 3e-3. At p = 0.5 it gives -0.0000034353, not 0.
double NormalQuantile(double p) {
    double q = p <= 0.5 ? p : 1.0 - p;
    double t = std::sqrt(Log((1.0 / q) / q));
    double z = NormalQuantileOfTail(t);
    return p <= 0.5 ? -z : z;
}

// Blom, G. (1958), Statistical Estimates and Transformed Beta-Variables:
// plotting positions (i - 3/8) / (n + 1/4) for i = 1 .. n.
double BlomScore(std::int32_t i, std::int32_t n) {
    return NormalQuantile((i + 1 - 0.375) / (n + 0.25));
}

double TransformedPlotRSquare(const TAnova1Way& ctx) {
    return PlotRSquareOf(
        ctx.NData, [&ctx](std::int32_t i) { return ctx.Records[i].Transformed; },
        [&ctx](std::int32_t i) { return BlomScore(i, ctx.NData); });
}

bool LogApplied(std::int32_t normalizeMethod, double power) {
    return normalizeMethod == Normalize::Log || (normalizeMethod != Normalize::None && power == 0);
}

bool LogApplied(const TAnova1Way& ctx) {
    return LogApplied(ctx.NormalizeMethod, ctx.Power);
}

void SetLogOffset(TAnova1Way& ctx) {
    bool hasZero = false;
    bool hasNonZero = false;
    double smallest = 0;
    for (std::int32_t i = 0; i < ctx.NData; ++i) {
        double v = ctx.Records[i].Value;
        if (v == 0) {
            hasZero = true;
        } else if (!hasNonZero || v < smallest) {
            smallest = v;
            hasNonZero = true;
        }
    }
    // All zeros: there is nothing to halve; the log then gives -inf values.
    ctx.LogOffset = hasZero && hasNonZero ? smallest * 0.5 : 0.0;
}

namespace {

// The group's values in ascending order (not a number last), their Blom
// scores and room for a candidate's values: the search works on these, and
// the records keep their order.
struct TSearchArrays {
    std::int32_t N = 0;
    double* Sorted = nullptr;
    double* Scores = nullptr;
    double* Candidate = nullptr; // N
    double* Screen = nullptr;    // 2 N for ScreenPowers (over Candidate); nullptr: no screen
    std::vector<double> Own;     // when the workspace has no scratch room
};

void SortValues(TAnova1Way& ctx, double* sorted) {
    const std::int32_t n = ctx.NData;
    for (std::int32_t i = 0; i < n; ++i) sorted[i] = ctx.Records[i].Value;
    // The record sort room holds the keys of the radix sort.
    SortDoubles(sorted, n, ctx.SortRoomRecords);
}

// The search's own computation of candidate k's R-square: k = 0 is the log of
// Value + LogOffset, k >= 1 the power 1 / b with b = k / 2 (and x^1 the value
// itself, exactly as the power function gives it), over the sorted values.
double SearchRSquare(TAnova1Way& ctx, const TSearchArrays& a, int k, double zMean) {
    const std::int32_t n = a.N;
    const double* v = a.Sorted;
    double* t = a.Candidate;
    const double b = 0.5 * k;
    if (k == 0) SetLogOffset(ctx);
    // The candidate's values and their mean in one pass over the group.
    double st = 0;
    bool allEqual = true;
    for (std::int32_t i = 0; i < n; ++i) {
        const double x = v[i];
        t[i] = k == 0 ? Log(x + ctx.LogOffset) : k == 2 ? x : Pow(x, 1.0 / b);
        st += t[i];
        if (!(t[i] == t[0])) allEqual = false;
    }
    const double* z = a.Scores;
    return PlotRSquareAbout(
        n, [t](std::int32_t i) { return t[i]; }, [z](std::int32_t i) { return z[i]; }, st / n,
        zMean, allEqual);
}

} // namespace

// Candidate k = 0 is the log; candidate k >= 1 the exponent 1 / b with
// b = k / 2: 2, 1, 2/3, 1/2, ... 1/10. Each is scored by the R-square of its
// normal probability plot against the Blom scores of the sorted values, and
// the first of the highest scores wins. The powers are screened first
// (engine/PowerScreen.h), and only those that could win are computed with the
// power function; the choice and its R-square are those of computing all.
// Without scratch room in the workspace every candidate is computed.
double FindBestPower(TAnova1Way& ctx) {
    const std::int32_t n = ctx.NData;
    TSearchArrays a;
    a.N = n;
    if (ctx.Scratch) {
        a.Sorted = ctx.Scratch;
        a.Scores = ctx.Scratch + n;
        a.Candidate = ctx.Scratch + 2 * static_cast<std::size_t>(n);
        a.Screen = a.Candidate;
    } else {
        a.Own.resize(3 * static_cast<std::size_t>(n));
        a.Sorted = a.Own.data();
        a.Scores = a.Sorted + n;
        a.Candidate = a.Scores + n;
    }
    SortValues(ctx, a.Sorted);
    for (std::int32_t i = 0; i < n; ++i) a.Scores[i] = BlomScore(i, n);

    double sz = 0;
    for (std::int32_t i = 0; i < n; ++i) sz += a.Scores[i];
    const double zMean = sz / n;

    // The log and x^1 cost little: computed as the search computes them.
    std::bitset<TAnova1Way::Candidates> known;
    double exact[TAnova1Way::Candidates] = {};
    for (int k : {0, 2}) {
        exact[k] = SearchRSquare(ctx, a, k, zMean);
        known.set(k);
    }
    const TPowerScreen screen =
        a.Screen ? ScreenPowers(a.Sorted, a.Scores, n, zMean, a.Screen) : TPowerScreen{};
    const std::bitset<TAnova1Way::Candidates> compute = CandidatesToCompute(screen, exact, known);

    ctx.RSquare = 0;
    ctx.ChosenCandidate = -1;
    double chosen = -1; // no candidate yet
    for (int k = 0; k < TAnova1Way::Candidates; ++k) {
        // A candidate that cannot win keeps its screened R-square for the record.
        if (!known[k] && !compute[k]) {
            ctx.CandidateRSquare[k] = screen.Value[k];
            continue;
        }
        const double r = known[k] ? exact[k] : SearchRSquare(ctx, a, k, zMean);
        ctx.CandidateRSquare[k] = r;
        if (r > ctx.RSquare) { // a NaN never wins, an equal later one neither
            ctx.RSquare = r;
            ctx.ChosenCandidate = k;
            chosen = 0.5 * k;
        }
    }
    // No candidate straightens anything (all values equal, or no R-square is
    // a number): keep the values as they are.
    if (chosen < 0) chosen = 1;
    ctx.Power = chosen == 0 ? 0.0 : 1.0 / chosen;
    return ctx.Power;
}

void Transform(TAnova1Way& ctx, const TAnalysisSettings& settings) {
    switch (ctx.NormalizeMethod) {
    case Normalize::BestPower:
        if (FindBestPower(ctx) != 0) {
            ApplyPower(ctx, ctx.Power);
        } else {
            SetLogOffset(ctx);
            ApplyLog(ctx);
        }
        break;
    case Normalize::Log:
        SetLogOffset(ctx);
        ApplyLog(ctx);
        break;
    case Normalize::None:
        for (std::int32_t i = 0; i < ctx.NData; ++i)
            ctx.Records[i].Transformed = ctx.Records[i].Value;
        break;
    default: { // Normalize::GivenPower, and any other value
        const double p = std::fabs(ParseDecimal(settings.PowerText));
        if (p == 0) {
            SetLogOffset(ctx);
            ApplyLog(ctx);
        } else {
            ApplyPower(ctx, p);
        }
    }
    }
}

} // namespace habitual
