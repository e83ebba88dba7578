#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/Decimal.h"
#include "engine/Estimation.h"
#include "engine/RadixSort.h"

namespace habitual {
namespace {

void ApplyLog(TAnova1Way& ctx) {
    for (std::int32_t i = 0; i < ctx.NData; ++i) {
        TGroupRecord& r = ctx.Records[i];
        r.Transformed = std::log(r.Value + ctx.LogOffset);
    }
}

void ApplyPower(TAnova1Way& ctx, double power) {
    for (std::int32_t i = 0; i < ctx.NData; ++i) {
        TGroupRecord& r = ctx.Records[i];
        r.Transformed = std::pow(r.Value, power);
    }
}

} // namespace

double NormalQuantile(double p) {
    constexpr double a0 = 2.30753, a1 = 0.27061, b1 = 0.99229, b2 = 0.04481;
    double q = p <= 0.5 ? p : 1.0 - p;
    double t = std::sqrt(std::log((1.0 / q) / q));
    double z = t - (a0 + a1 * t) / (1.0 + b1 * t + b2 * t * t);
    return p <= 0.5 ? -z : z;
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

// The second pass of the R-square: sums of squares and products about the
// means, which the caller has taken first in a pass of their own. Values
// that are all equal have no R-square (their mean may differ from them by a
// rounding error, which would make one up).
double RSquareAbout(const TAnova1Way& ctx, double tMean, double zMean, bool allEqual) {
    if (allEqual) return std::numeric_limits<double>::quiet_NaN();
    double stt = 0, szz = 0, stz = 0;
    for (std::int32_t i = 0; i < ctx.NData; ++i) {
        const double dt = ctx.Records[i].Transformed - tMean;
        const double dz = ctx.Records[i].NormalScore - zMean;
        stt += dt * dt;
        szz += dz * dz;
        stz += dt * dz;
    }
    return stz * stz / (stt * szz);
}

} // namespace

double NormalPlotRSquare(const TAnova1Way& ctx) {
    const std::int32_t n = ctx.NData;
    double st = 0, sz = 0;
    bool allEqual = true;
    for (std::int32_t i = 0; i < n; ++i) {
        st += ctx.Records[i].Transformed;
        sz += ctx.Records[i].NormalScore;
        if (!(ctx.Records[i].Transformed == ctx.Records[0].Transformed)) allEqual = false;
    }
    return RSquareAbout(ctx, st / n, sz / n, allEqual);
}

double FindBestPower(TAnova1Way& ctx) {
    const std::int32_t n = ctx.NData;
    TGroupRecord* rec = ctx.Records;
    for (std::int32_t i = 0; i < n; ++i) rec[i].Transformed = rec[i].Value;
    SortByKey(rec, n, ctx.SortRoomRecords, [](const TGroupRecord& r) { return r.Transformed; });
    for (std::int32_t i = 0; i < n; ++i)
        rec[i].NormalScore = NormalQuantile((i + 1 - 0.375) / (n + 0.25));

    double sz = 0;
    for (std::int32_t i = 0; i < n; ++i) sz += rec[i].NormalScore;
    const double zMean = sz / n;

    ctx.RSquare = 0;
    double chosen = -1; // no candidate yet
    for (int k = 0; k <= 20; ++k) {
        const double b = 0.5 * k;
        if (k == 0) SetLogOffset(ctx);
        // The candidate's values and their mean in one pass over the group.
        double st = 0;
        bool allEqual = true;
        for (std::int32_t i = 0; i < n; ++i) {
            const double v = rec[i].Value;
            // x^1 is x itself, exactly as the power function gives it.
            const double t = k == 0   ? std::log(v + ctx.LogOffset)
                             : k == 2 ? v
                                      : std::pow(v, 1.0 / b);
            rec[i].Transformed = t;
            st += t;
            if (!(t == rec[0].Transformed)) allEqual = false;
        }
        const double r = RSquareAbout(ctx, st / n, zMean, allEqual);
        if (r > ctx.RSquare) { // a NaN never wins, an equal later one neither
            ctx.RSquare = r;
            chosen = b;
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
    case 0:
        if (FindBestPower(ctx) != 0) {
            ApplyPower(ctx, ctx.Power);
        } else {
            SetLogOffset(ctx);
            ApplyLog(ctx);
        }
        break;
    case 1:
        SetLogOffset(ctx);
        ApplyLog(ctx);
        break;
    case 2:
        for (std::int32_t i = 0; i < ctx.NData; ++i)
            ctx.Records[i].Transformed = ctx.Records[i].Value;
        break;
    default: {
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
