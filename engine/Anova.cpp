#include "engine/Anova.h"

#include <algorithm>
#include <cmath>

namespace habitual {
namespace {

// A variance a rounding error below 0 means no variation at all.
double SqrtOrZero(double variance) {
    return variance < 0 ? 0.0 : std::sqrt(variance);
}

} // namespace

// Analysis-of-variance (method of moments) estimates for the one-way
// random-effects model with unequal numbers of records per person (Searle,
// Casella and McCulloch (1992), Variance Components, chapter 3, the one-way
// classification): VW is the within-person mean square. VB divides
// SSModel - DFModel * VW by N - max n_p, which for a balanced design equals
// the textbook divisor N - sum n_p^2 / N (both are r * DFModel) and differs
// from it by less than one record per person otherwise; it is cut at 0.
void Anova(TAnova1Way& ctx, const TAnalysisSettings& settings) {
    const std::int32_t n = ctx.NData;
    TGroupRecord* rec = ctx.Records;
    const TKeyArena& keys = *ctx.Keys;
    auto order = [&keys](const TGroupRecord& a, const TGroupRecord& b) {
        return ComparePersons(keys, a, b);
    };
    // A run hands the records over in this order already (TRunData sorts
    // them once for all its columns); others are sorted here.
    auto less = [&keys](const TGroupRecord& a, const TGroupRecord& b) {
        return PersonOrderLess(keys, a, b);
    };
    if (!std::is_sorted(rec, rec + n, less)) std::sort(rec, rec + n, less);

    // One walk: person table, B = sum of S_p^2 / n_p, G = sum x, Q = sum x^2.
    double G = 0, Q = 0, B = 0;
    std::int32_t P = 0, nMulti = 0, minDays = 99999, maxDays = 0;
    std::int64_t multiDays = 0;
    // Whether the values are all equal, within every person or at all: the
    // sums of squares below then come out as a rounding residue of Q - CF,
    // where the true value is exactly 0.
    bool allEqual = true, personsConstant = true;
    for (std::int32_t i = 0; i < n;) {
        std::int32_t j = i;
        double S = 0;
        while (j < n && (j == i || order(rec[j], rec[i]) == 0)) {
            const double x = rec[j].Transformed;
            if (!(x == rec[i].Transformed)) personsConstant = false;
            if (!(x == rec[0].Transformed)) allEqual = false;
            S += x;
            G += x;
            Q += x * x;
            ++j;
        }
        const std::int32_t np = j - i;
        TPersonRecord& person = ctx.Persons[P++];
        person.PersonKey = rec[i].PersonKey;
        person.RowNo = rec[i].RowNo;
        person.NDays = np;
        person.PersonMean = S / np;
        B += S * S / np;
        if (np >= 2) {
            ++nMulti;
            multiDays += np;
            minDays = std::min(minDays, np);
            maxDays = std::max(maxDays, np);
        }
        i = j;
    }

    ctx.NPerson = P;
    ctx.NPersonAll = P;
    ctx.N = n;
    ctx.NMultiDay = nMulti;
    if (nMulti == 0) {
        ctx.MinDays = 1;
        ctx.MaxDays = 1;
        ctx.MeanDays = 1.0;
    } else {
        ctx.MinDays = minDays;
        ctx.MaxDays = maxDays;
        ctx.MeanDays = static_cast<double>(multiDays) / nMulti;
    }

    const double CF = G * G / ctx.N;
    ctx.SSTotal = Q - CF;
    ctx.SSModel = B - CF;
    ctx.SSError = ctx.SSTotal - ctx.SSModel;
    if (allEqual) ctx.SSTotal = ctx.SSModel = 0;
    if (personsConstant) {
        ctx.SSModel = ctx.SSTotal;
        ctx.SSError = 0;
    }
    ctx.DFModel = P - 1;
    ctx.DFError = ctx.N - P;
    ctx.DFTotal = ctx.N - 1;
    ctx.Mean = G / ctx.N;
    ctx.Var = ctx.SSTotal / (ctx.N - 1);
    ctx.SD = SqrtOrZero(ctx.Var);

    if (ctx.DFError == 0) {
        ctx.VW = 0;
        ctx.VB = ctx.Var;
    } else {
        ctx.VW = ctx.SSError / ctx.DFError;
        // N - MaxDays is 0 only for a group of one person, which has no
        // between-person variance.
        const std::int32_t divisor = ctx.N - ctx.MaxDays;
        ctx.VB = divisor == 0 ? 0.0 : (ctx.SSModel - ctx.DFModel * ctx.VW) / divisor;
        if (ctx.VB < 0) ctx.VB = 0;
    }
    ctx.SDW = SqrtOrZero(ctx.VW);
    ctx.SDB = SqrtOrZero(ctx.VB);

    if (GivenVarianceInForce(ctx.NormalizeMethod, settings.HendoMode)) {
        if (settings.HendoMode == Hendo::WithinGiven) {
            ctx.VW = ctx.VWSpec;
        } else {
            const double R = ctx.VWBRatioSpec;
            ctx.VW = ctx.Var * R / (R + 1);
        }
        ctx.VB = ctx.Var - ctx.VW;
        ctx.SDW = SqrtOrZero(ctx.VW);
        ctx.SDB = ctx.VB >= 0 ? std::sqrt(ctx.VB) : 0.0;
    }
}

} // namespace habitual
