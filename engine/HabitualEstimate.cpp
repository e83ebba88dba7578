#include "engine/HabitualEstimate.h"

#include <cmath>

#include "engine/Decimal.h"
#include "engine/Elementary.h"
#include "engine/Transform.h"

namespace habitual {

// g(s) + g''(s) VW / 2 with g the inverse transformation: the second-order
// Taylor (delta-method) approximation of E[g(S + e)] for a within-person
// deviation e of variance VW, which puts back on the intake scale the
// curvature that averaging on the analysis scale removes.
double TBackTransform::operator()(double s) const {
    if (NormalizeMethod == Normalize::None) return s;
    if (LogApplied(NormalizeMethod, Power)) {
        const double es = Exp(s);
        return es + 0.5 * es * VW - LogOffset;
    }
    if (Power == 1) return s; // exponent 1: the correction term is 0 by definition
    const double e = 1.0 / Power;
    return Pow(s, e) + 0.5 * e * (e - 1) * Pow(s, e - 2) * VW;
}

void EstimateHabitual(TAnova1Way& ctx, const TAnalysisSettings& settings) {
    if (ctx.NormalizeMethod != Normalize::BestPower && ctx.NormalizeMethod != Normalize::Log &&
        ctx.NormalizeMethod != Normalize::None)
        ctx.Power = std::fabs(ParseDecimal(settings.PowerText));

    // The shrinkage factor k = sqrt(VB / (VB + VW / n_p)) gives the shrunk
    // means the between-person variance VB on the analysis scale (National
    // Research Council (1986), Nutrient Adequacy: Assessment Using Food
    // Consumption Surveys; Nusser, Carriquiry, Dodd and Fuller
    // (1996), J. Am. Stat. Assoc. 91, 1440-1449).
    // No positive between-person variance (all values equal, one person, or
    // a given within-person variance above the total): every person gets the
    // group mean. The report shows no habitual results then.
    const TBackTransform backTransform = BackTransformOf(ctx);
    for (std::int32_t i = 0; i < ctx.NPerson; ++i) {
        TPersonRecord& p = ctx.Persons[i];
        const double k = ShrinkFactor(ctx.VB, ctx.VW, p.NDays);
        p.ShrunkMean = (1 - k) * ctx.Mean + k * p.PersonMean;
        p.Habitual = backTransform(p.ShrunkMean);
    }
}

} // namespace habitual
