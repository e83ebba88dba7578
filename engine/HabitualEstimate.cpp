#include <cmath>

#include "engine/Decimal.h"
#include "engine/Estimation.h"

namespace habitual {
namespace {

bool UsesLog(const TAnova1Way& ctx) {
    switch (ctx.NormalizeMethod) {
    case 1:
        return true;
    case 2:
        return false;
    default:
        return ctx.Power == 0;
    }
}

} // namespace

// Inverse of the transformation at s plus half its second derivative times VW.
double BackTransform(const TAnova1Way& ctx, double s) {
    if (ctx.NormalizeMethod == 2) return s;
    if (UsesLog(ctx)) {
        const double es = std::exp(s);
        return es + 0.5 * es * ctx.VW - ctx.LogOffset;
    }
    if (ctx.Power == 1) return s; // exponent 1: the correction term is 0 by definition
    const double e = 1.0 / ctx.Power;
    return std::pow(s, e) + 0.5 * e * (e - 1) * std::pow(s, e - 2) * ctx.VW;
}

void EstimateHabitual(TAnova1Way& ctx, const TAnalysisSettings& settings) {
    if (ctx.NormalizeMethod != 0 && ctx.NormalizeMethod != 1 && ctx.NormalizeMethod != 2)
        ctx.Power = std::fabs(ParseDecimal(settings.PowerText));

    for (std::int32_t i = 0; i < ctx.NPerson; ++i) {
        TPersonRecord& p = ctx.Persons[i];
        // No positive between-person variance (all values equal, one person,
        // or a given within-person variance above the total): every person
        // gets the group mean. The report shows no habitual results then.
        const double k = ctx.VB > 0 ? std::sqrt(ctx.VB / (ctx.VB + ctx.VW / p.NDays)) : 0.0;
        p.ShrunkMean = (1 - k) * ctx.Mean + k * p.PersonMean;
        p.Habitual = BackTransform(ctx, p.ShrunkMean);
    }
}

} // namespace habitual
