#include "engine/ReplicateFrame.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <new>
#include <numeric>
#include <utility>

#include "engine/Anova.h"
#include "engine/Decimal.h"
#include "engine/Elementary.h"
#include "engine/EstimateGroup.h"
#include "engine/Ordering.h"
#include "engine/RadixSort.h"

namespace habitual {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double Infinity = std::numeric_limits<double>::infinity();

// Reads the values of a list of runs, run r holding weight(r) equal values
// value(r) in ascending order, by their position in the list written out.
// Successive positions are near each other, so the cursor moves from run to
// run.
template <class ValueOf, class WeightOf> class TRunCursor {
public:
    TRunCursor(ValueOf value, WeightOf weight) : Value(value), Weight(weight) {}
    double At(std::int64_t position) {
        while (position >= End) {
            Start = End;
            End += Weight(++Run);
        }
        while (position < Start) {
            End = Start;
            Start -= Weight(--Run);
        }
        return Value(Run);
    }

private:
    ValueOf Value;
    WeightOf Weight;
    std::int64_t Run = -1, Start = 0, End = 0;
};

// The percentiles, mean, standard deviation and shares of n values given as
// runs, as ComputePercentiles, the means, the standard deviations and the
// shares of the plain estimation give them for the values written out.
template <class ValueOf, class WeightOf>
void RunFigures(std::int64_t n, std::int64_t runs, ValueOf value, WeightOf weight,
                const std::vector<TCutOff>& cuts, std::vector<double>& figures) {
    TRunCursor cursor(value, weight);
    for (int p = 0; p <= 100; ++p)
        figures[p] = ValueAtPosition(n, PercentilePosition(n, p),
                                     [&cursor](std::int64_t i) { return cursor.At(i); });
    double sum = 0;
    for (std::int64_t r = 0; r < runs; ++r) sum += static_cast<double>(weight(r)) * value(r);
    const double mean = sum / static_cast<double>(n);
    double ss = 0;
    for (std::int64_t r = 0; r < runs; ++r) {
        const double d = value(r) - mean;
        ss += static_cast<double>(weight(r)) * (d * d);
    }
    figures[Figure::Mean] = mean;
    figures[Figure::SD] = std::sqrt(ss / static_cast<double>(n - 1));
    for (std::size_t c = 0; c < cuts.size(); ++c) {
        std::int64_t below = 0;
        for (std::int64_t r = 0; r < runs; ++r)
            if (value(r) < cuts[c].Limit) below += weight(r);
        const double share = static_cast<double>(below) / static_cast<double>(n);
        figures[Figure::FirstShare + c] = 100 * (cuts[c].Below ? share : 1 - share);
    }
}

} // namespace

void CaptureFigures(const TAnova1Way& ctx, const std::vector<TCutOff>& cuts,
                    TReplicateFigures& out) {
    const int count = FigureCount(cuts.size());
    out.Daily.assign(count, NaN);
    out.Habit.assign(count, NaN);
    out.HabitualShown = HabitualEstimable(ctx);
    out.ChosenCandidate = ctx.NormalizeMethod == Normalize::BestPower ? ctx.ChosenCandidate : -1;
    auto fill = [&cuts](std::vector<double>& figures, const double(&pct)[101], double mean,
                        double sd, auto shareBelow) {
        std::copy(std::begin(pct), std::end(pct), figures.begin());
        figures[Figure::Mean] = mean;
        figures[Figure::SD] = sd;
        for (std::size_t c = 0; c < cuts.size(); ++c) {
            const double share = shareBelow(cuts[c].Limit);
            figures[Figure::FirstShare + c] = 100 * (cuts[c].Below ? share : 1 - share);
        }
    };
    fill(out.Daily, ctx.PctDaily, DailyMean(ctx), DailySD(ctx),
         [&ctx](double limit) { return DailyShareBelow(ctx, limit); });
    if (out.HabitualShown)
        fill(out.Habit, ctx.PctHabit, HabitMean(ctx), HabitSD(ctx),
             [&ctx](double limit) { return HabitShareBelow(ctx, limit); });
}

TReplicateScratch::TReplicateScratch() = default;
TReplicateScratch::~TReplicateScratch() = default;

double TReplicateFrame::TColumn::Apply(double v, double logOffset) const {
    switch (Kind) {
    case Log:
        return habitual::Log(v + logOffset);
    case Identity:
        return v;
    case Power:
        break;
    }
    return habitual::Pow(v, Exponent);
}

void TReplicateFrame::Prepare(const TAnova1Way& ctx, const TAnalysisSettings& settings) {
    Settings = settings;
    Cuts = ParseCutOffs(settings.CutOffText);
    GivenPower = std::fabs(ParseDecimal(settings.PowerText));
    GivenWithin = std::fabs(ParseDecimal(settings.VWText));
    GivenRatio = std::fabs(ParseDecimal(settings.VWBRatioText));
    Keys = ctx.Keys;
    PreparePersons(ctx);
    IsFast = std::all_of(PersonRecords.begin(), PersonRecords.end(), [](const TGroupRecord& r) {
        return std::isfinite(r.Value) && r.Value >= 0;
    });
    if (!IsFast) return;
    PrepareValues();
    PrepareColumns();
}

void TReplicateFrame::PreparePersons(const TAnova1Way& ctx) {
    const std::int32_t n = ctx.NData;
    PersonRecords.assign(ctx.Records, ctx.Records + n);
    const TKeyArena& keys = *ctx.Keys;
    std::sort(PersonRecords.begin(), PersonRecords.end(),
              [&keys](const TGroupRecord& a, const TGroupRecord& b) {
                  return ComparePersons(keys, a, b) < 0;
              });
    PersonStart.clear();
    NDays.clear();
    MostDays = 0;
    for (std::int32_t i = 0; i < n;) {
        std::int32_t j = i + 1;
        while (j < n && ComparePersons(keys, PersonRecords[j], PersonRecords[i]) == 0) ++j;
        PersonStart.push_back(i);
        NDays.push_back(j - i);
        MostDays = std::max(MostDays, j - i);
        i = j;
    }
    PersonStart.push_back(n);
}

void TReplicateFrame::PrepareValues() {
    const std::int32_t persons = NPerson();
    const auto n = static_cast<std::size_t>(PersonStart.back());
    std::vector<std::pair<double, std::int32_t>> byValue;
    byValue.reserve(n);
    for (std::int32_t p = 0; p < persons; ++p)
        for (std::int32_t r = PersonStart[p]; r < PersonStart[p + 1]; ++r)
            byValue.emplace_back(PersonRecords[r].Value, p);
    std::sort(byValue.begin(), byValue.end());

    Values.clear();
    DistinctStart.clear();
    ValuePersons.resize(n);
    PersonLow.assign(persons, -1);
    PersonHigh.assign(persons, -1);
    PersonHasZero.assign(persons, 0);
    PersonLeastNonZero.assign(persons, Infinity);
    for (std::size_t i = 0; i < n; ++i) {
        const auto [v, p] = byValue[i];
        if (Values.empty() || v != Values.back()) {
            Values.push_back(v);
            DistinctStart.push_back(static_cast<std::int32_t>(i));
        }
        const auto d = static_cast<std::int32_t>(Values.size() - 1);
        ValuePersons[i] = p;
        if (PersonLow[p] < 0) PersonLow[p] = d; // ascending: the first is the smallest
        PersonHigh[p] = d;
        if (v == 0)
            PersonHasZero[p] = 1;
        else if (PersonLeastNonZero[p] == Infinity)
            PersonLeastNonZero[p] = v;
    }
    DistinctStart.push_back(static_cast<std::int32_t>(n));

    // The offset SetLogOffset gives the whole group.
    const bool hasZero = Values.front() == 0;
    const double leastNonZero = hasZero ? (Values.size() > 1 ? Values[1] : 0) : Values.front();
    GroupLogOffset = hasZero && Values.size() > 1 ? leastNonZero * 0.5 : 0.0;
}

void TReplicateFrame::PrepareColumns() {
    Columns.clear();
    switch (Settings.NormalizeMethod) {
    case Normalize::BestPower:
        // The candidates in the order FindBestPower tries them.
        Columns.push_back({TColumn::Log});
        for (int k = 1; k < TAnova1Way::Candidates; ++k) {
            const double b = 0.5 * k;
            if (k == 2)
                Columns.push_back({TColumn::Identity});
            else
                Columns.push_back({TColumn::Power, 1.0 / b});
        }
        break;
    case Normalize::Log:
        Columns.push_back({TColumn::Log});
        break;
    case Normalize::None:
        Columns.push_back({TColumn::Identity});
        break;
    default:
        if (GivenPower == 0)
            Columns.push_back({TColumn::Log});
        else
            Columns.push_back({TColumn::Power, GivenPower});
    }

    const std::size_t K = Columns.size();
    const std::size_t D = Values.size();
    const auto persons = static_cast<std::size_t>(NPerson());
    Orders.clear();
    Orders.resize(K);
    OrderOnce = std::make_unique<std::once_flag[]>(K);
    Transformed.resize(D * K);
    Shift.assign(K, 0);
    for (std::size_t k = 0; k < K; ++k) {
        double sum = 0;
        for (std::size_t d = 0; d < D; ++d) {
            const double t = Columns[k].Apply(Values[d], GroupLogOffset);
            Transformed[d * K + k] = t;
            sum += (DistinctStart[d + 1] - DistinctStart[d]) * t;
        }
        // Sums about a value near the mean keep their digits; any value
        // would do, so one that is not finite is replaced.
        const double mean = sum / PersonStart.back();
        Shift[k] = std::isfinite(mean) ? mean : 0;
    }
    // Per column, so that a replicate's Anova reads one column's sums.
    Sums.assign(K * persons * 2, 0);
    for (std::size_t d = 0; d < D; ++d) {
        const double* t = &Transformed[d * K];
        for (std::int32_t i = DistinctStart[d]; i < DistinctStart[d + 1]; ++i) {
            const auto p = static_cast<std::size_t>(ValuePersons[i]);
            for (std::size_t k = 0; k < K; ++k) {
                const double u = t[k] - Shift[k];
                double* sums = &Sums[(k * persons + p) * 2];
                sums[0] += u;
                sums[1] += u * u;
            }
        }
    }
    Constant.resize(K * persons);
    for (std::size_t p = 0; p < persons; ++p) {
        const double* low = &Transformed[static_cast<std::size_t>(PersonLow[p]) * K];
        const double* high = &Transformed[static_cast<std::size_t>(PersonHigh[p]) * K];
        for (std::size_t k = 0; k < K; ++k) Constant[k * persons + p] = low[k] == high[k];
    }
}

TReplicateFrame::TColumnView TReplicateFrame::View(int k, double logOffset,
                                                   TReplicateScratch& scratch) const {
    const std::size_t K = Columns.size();
    const auto column = static_cast<std::size_t>(k);
    const auto persons = static_cast<std::size_t>(NPerson());
    if (Columns[column].Kind != TColumn::Log || logOffset == GroupLogOffset)
        return {&Transformed[column],
                K,
                &Sums[column * persons * 2],
                2,
                1,
                &Constant[column * persons],
                1,
                true};
    if (!scratch.LogValid || scratch.LogOffset != logOffset) {
        // The log of a replicate whose smallest value that is not 0 differs
        // from the group's: the column anew for its offset.
        const std::size_t D = Values.size();
        scratch.LogValid = false;
        scratch.LogValues.resize(D);
        for (std::size_t d = 0; d < D; ++d)
            scratch.LogValues[d] = Columns[column].Apply(Values[d], logOffset);
        scratch.LogSums.assign(2 * persons, 0);
        for (std::size_t d = 0; d < D; ++d) {
            const double u = scratch.LogValues[d] - Shift[column];
            for (std::int32_t i = DistinctStart[d]; i < DistinctStart[d + 1]; ++i) {
                double* sums = &scratch.LogSums[2 * static_cast<std::size_t>(ValuePersons[i])];
                sums[0] += u;
                sums[1] += u * u;
            }
        }
        scratch.LogConstant.resize(persons);
        for (std::size_t p = 0; p < persons; ++p)
            scratch.LogConstant[p] =
                scratch.LogValues[PersonLow[p]] == scratch.LogValues[PersonHigh[p]];
        scratch.LogOffset = logOffset;
        scratch.LogValid = true;
    }
    return {scratch.LogValues.data(),
            1,
            scratch.LogSums.data(),
            2,
            1,
            scratch.LogConstant.data(),
            1,
            false};
}

void TReplicateFrame::DrawnWeights(const std::int32_t* count, TReplicateScratch& scratch) const {
    // A running sum over the records in the order of values, then each
    // distinct value's share of it: two passes without branches.
    const std::size_t n = ValuePersons.size(), D = Values.size();
    scratch.DrawsBefore.resize(n + 1);
    std::int64_t draws = 0;
    for (std::size_t i = 0; i < n; ++i) {
        scratch.DrawsBefore[i] = draws;
        draws += count[ValuePersons[i]];
    }
    scratch.DrawsBefore[n] = draws;
    scratch.Weight.resize(D);
    for (std::size_t d = 0; d < D; ++d)
        scratch.Weight[d] =
            scratch.DrawsBefore[DistinctStart[d + 1]] - scratch.DrawsBefore[DistinctStart[d]];
    scratch.DrawnLow = -1;
    scratch.DrawnHigh = -1;
    for (std::size_t d = 0; d < D && scratch.DrawnLow < 0; ++d)
        if (scratch.Weight[d] > 0) scratch.DrawnLow = static_cast<std::int32_t>(d);
    for (std::size_t d = D; d-- > 0 && scratch.DrawnHigh < 0;)
        if (scratch.Weight[d] > 0) scratch.DrawnHigh = static_cast<std::int32_t>(d);
}

void TReplicateFrame::BlomScores(std::int64_t n, TReplicateScratch& scratch) const {
    if (scratch.ScoresFor == n) return;
    const auto count = static_cast<std::size_t>(n);
    // Blom's score of place i (from 0) of n is the quantile of (i + 0.625) /
    // (n + 0.25); with q the smaller of that and its complement, the tail
    // argument is sqrt(2 ln(n + 0.25) - 2 ln(j + 0.625)), j = i below the
    // middle and n - 1 - i above it. The logs of the places are kept from one
    // replicate to the next, and each score of the upper half is the
    // negative of its mirror's. (BlomScore computes the same scores, as
    // ln(1 / q^2), up to rounding in the last digits.)
    const std::size_t lower = (count + 1) / 2;
    for (std::size_t j = scratch.LogPlace.size(); j < lower; ++j)
        scratch.LogPlace.push_back(Log(static_cast<double>(j) + 0.625));
    const double logN = Log(static_cast<double>(n) + 0.25);
    scratch.Scores.resize(count);
    for (std::size_t j = 0; j < lower; ++j) {
        const double z = NormalQuantileOfTail(std::sqrt(2 * (logN - scratch.LogPlace[j])));
        // The middle place of an odd n has the probability 1/2 itself,
        // whose quantile is on the lower side (-0.0000034353).
        scratch.Scores[count - 1 - j] = z;
        scratch.Scores[j] = -z;
    }
    // The running sums are kept with the rounding error of each addition
    // (Knuth's two-sum), so that the difference of two of them is the sum of
    // the scores between to full precision; the mean and the sum of squares
    // as FindBestPower and TransformedPlotRSquare take them.
    scratch.ScoresBefore.resize(count + 1);
    scratch.ScoresBeforeLow.resize(count + 1);
    double sum = 0, high = 0, low = 0;
    for (std::size_t i = 0; i < count; ++i) {
        scratch.ScoresBefore[i] = high;
        scratch.ScoresBeforeLow[i] = low;
        const double z = scratch.Scores[i];
        sum += z;
        const double t = high + z;
        const double zPart = t - high;
        low += (high - (t - zPart)) + (z - zPart);
        high = t;
    }
    scratch.ScoresBefore[count] = high;
    scratch.ScoresBeforeLow[count] = low;
    scratch.ScoreMean = sum / static_cast<double>(n);
    double ss = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double dz = scratch.Scores[i] - scratch.ScoreMean;
        ss += dz * dz;
    }
    scratch.ScoreSS = ss;
    scratch.ScoresFor = n;
}

// The best-power search of the replicate. Sorted by value, the replicate's
// values are the distinct values each repeated by its weight, so the scores
// of a distinct value's places add up to one sum, and the plot's sums of
// products and squares are weighted sums over distinct values and persons.
int TReplicateFrame::ChooseCandidate(std::int64_t n, double logOffset,
                                     TReplicateScratch& scratch) const {
    constexpr std::size_t K = TAnova1Way::Candidates;
    BlomScores(n, scratch);
    const std::size_t D = Values.size();
    scratch.ScoreSum.resize(D);
    const double* high = scratch.ScoresBefore.data();
    const double* low = scratch.ScoresBeforeLow.data();
    std::int64_t place = 0;
    for (std::size_t d = 0; d < D; ++d) {
        const std::int64_t end = place + scratch.Weight[d];
        scratch.ScoreSum[d] = (high[end] - high[place]) + (low[end] - low[place]);
        place = end;
    }

    // One pass over the distinct values drawn: per candidate the sums of the
    // shifted values u, of their squares and of their products with the
    // scores.
    double u1[K] = {}, u2[K] = {}, tz[K] = {};
    for (std::size_t d = 0; d < D; ++d) {
        if (scratch.Weight[d] == 0) continue;
        const auto w = static_cast<double>(scratch.Weight[d]);
        const double z = scratch.ScoreSum[d];
        const double* t = &Transformed[d * K];
        for (std::size_t k = 0; k < K; ++k) {
            const double u = t[k] - Shift[k];
            const double wu = w * u;
            u1[k] += wu;
            u2[k] += wu * u;
            tz[k] += u * z;
        }
    }
    const TColumnView log = View(0, logOffset, scratch);
    if (!log.OfFrame) {
        u1[0] = u2[0] = tz[0] = 0;
        for (std::size_t d = 0; d < D; ++d) {
            if (scratch.Weight[d] == 0) continue;
            const double u = log.Values[d] - Shift[0];
            const double wu = static_cast<double>(scratch.Weight[d]) * u;
            u1[0] += wu;
            u2[0] += wu * u;
            tz[0] += u * scratch.ScoreSum[d];
        }
    }

    double best = 0;
    int chosen = -1;
    const auto N = static_cast<double>(n);
    for (std::size_t k = 0; k < K; ++k) {
        const TColumnView column = k == 0 ? log : View(static_cast<int>(k), logOffset, scratch);
        const bool allEqual = column.Values[scratch.DrawnLow * column.Stride] ==
                              column.Values[scratch.DrawnHigh * column.Stride];
        const double stt = u2[k] - u1[k] * u1[k] / N;
        const double stz = tz[k] - u1[k] * scratch.ScoreMean;
        const double r = allEqual ? NaN : stz * stz / (stt * scratch.ScoreSS);
        if (r > best) { // a NaN never wins, an equal later one neither
            best = r;
            chosen = static_cast<int>(k);
        }
    }
    return chosen;
}

void TReplicateFrame::Estimate(const std::int32_t* count, TReplicateScratch& scratch,
                               TReplicateFigures& out) const {
    if (!IsFast) {
        EstimateNaive(count, scratch, out);
        return;
    }
    const int figures = FigureCount(Cuts.size());
    out.Daily.assign(figures, NaN);
    out.Habit.assign(figures, NaN);
    out.HabitualShown = false;
    out.ChosenCandidate = -1;

    // The drawn persons, collected without a branch on each person's count
    // (about a third of the persons are not drawn, in no pattern).
    const std::int32_t persons = NPerson();
    scratch.Drawn.resize(static_cast<std::size_t>(persons));
    std::size_t drawn = 0;
    std::int64_t n = 0;
    std::int32_t maxDays = 0;
    bool anyZero = false;
    double leastNonZero = Infinity;
    for (std::int32_t p = 0; p < persons; ++p) {
        const bool in = count[p] > 0;
        scratch.Drawn[drawn] = p;
        drawn += in;
        n += static_cast<std::int64_t>(count[p]) * NDays[p];
        maxDays = std::max(maxDays, in ? NDays[p] : 0);
        anyZero = anyZero || (in && PersonHasZero[p]);
        leastNonZero = std::min(leastNonZero, in ? PersonLeastNonZero[p] : Infinity);
    }
    scratch.Drawn.resize(drawn);
    // A workspace holds at most 2^31 - 1 records.
    if (n > std::numeric_limits<std::int32_t>::max()) throw std::bad_alloc();
    DrawnWeights(count, scratch);

    // The one-day distribution: the drawn values, ascending. The order of
    // the plain estimation is that of the transformed values, the same for
    // intakes of 0 or more, where every transformation increases.
    RunFigures(
        n, static_cast<std::int64_t>(Values.size()), [this](std::int64_t d) { return Values[d]; },
        [&scratch](std::int64_t d) { return scratch.Weight[d]; }, Cuts, out.Daily);

    // SetLogOffset of the replicate: half its smallest value that is not 0
    // when it holds a 0.
    const double logOffset = anyZero && leastNonZero < Infinity ? leastNonZero * 0.5 : 0.0;
    int k = 0;
    double power = 0; // as EstimateHabitual leaves it
    switch (Settings.NormalizeMethod) {
    case Normalize::BestPower: {
        out.ChosenCandidate = ChooseCandidate(n, logOffset, scratch);
        // No candidate straightens anything: the values as they are.
        const double b = out.ChosenCandidate < 0 ? 1 : 0.5 * out.ChosenCandidate;
        k = out.ChosenCandidate < 0 ? 2 : out.ChosenCandidate;
        power = b == 0 ? 0.0 : 1.0 / b;
        break;
    }
    case Normalize::Log:
    case Normalize::None:
        break;
    default:
        power = GivenPower;
    }
    const TColumnView column = View(k, logOffset, scratch);
    const double shift = Shift[static_cast<std::size_t>(k)];

    // Anova on the chosen transformation: each draw a person of its own.
    double G = 0, Q = 0, B = 0;
    bool personsConstant = true;
    for (const std::int32_t p : scratch.Drawn) {
        const double m = count[p];
        const double s = column.Sums[p * column.SumStride];
        G += m * s;
        Q += m * column.Sums[p * column.SumStride + column.SquareAt];
        B += m * (s * s / NDays[p]);
        if (!column.Constant[p * column.ConstantStride]) personsConstant = false;
    }
    const bool allEqual = column.Values[scratch.DrawnLow * column.Stride] ==
                          column.Values[scratch.DrawnHigh * column.Stride];
    const auto N = static_cast<double>(n);
    const double CF = G * G / N;
    double ssTotal = Q - CF, ssModel = B - CF, ssError = ssTotal - ssModel;
    if (allEqual) ssTotal = ssModel = 0;
    if (personsConstant) {
        ssModel = ssTotal;
        ssError = 0;
    }
    const std::int32_t dfModel = persons - 1;
    const std::int64_t dfError = n - persons;
    const double mean = shift + G / N;
    const double var = ssTotal / (N - 1);
    double vw = 0, vb = 0;
    if (dfError == 0) {
        vb = var;
    } else {
        vw = ssError / static_cast<double>(dfError);
        const std::int64_t divisor = n - maxDays;
        vb = divisor == 0 ? 0.0 : (ssModel - dfModel * vw) / static_cast<double>(divisor);
        if (vb < 0) vb = 0;
    }
    if (GivenVarianceInForce(Settings.NormalizeMethod, Settings.HendoMode)) {
        if (Settings.HendoMode == Hendo::WithinGiven) {
            vw = GivenWithin;
        } else {
            const double R = GivenRatio;
            vw = var * R / (R + 1);
        }
        vb = var - vw;
    }
    out.HabitualShown = vb > 0 && vw > 0;
    if (!out.HabitualShown) return;

    // Shrinkage and back-transformation of each drawn person, in the order
    // of the shrunk means.
    std::vector<double>& factor = scratch.Factor;
    factor.resize(static_cast<std::size_t>(MostDays) + 1);
    for (std::int32_t days = 1; days <= MostDays; ++days) factor[days] = ShrinkFactor(vb, vw, days);
    auto shrunk = [&](std::int32_t p) {
        const double f = factor[NDays[p]];
        const double personMean = shift + column.Sums[p * column.SumStride] / NDays[p];
        return (1 - f) * mean + f * personMean;
    };
    scratch.Shrunk.clear();
    const TPersonOrder* order = column.OfFrame ? &OrderOf(k) : nullptr;
    if (order && order->Classes.size() <= 16) {
        // Within a number of days the shrunk means keep the order of the
        // person means: each class's drawn persons in the order's sequence
        // (collected without a branch per person, from the order's own
        // array of means, so that memory is read in sequence), then merged.
        auto& pending = scratch.Pending;
        pending.resize(static_cast<std::size_t>(persons));
        std::vector<TReplicateScratch::TClass>& classes = scratch.Classes;
        classes.clear();
        std::size_t j = 0;
        for (const auto& [begin, end] : order->Classes) {
            const double f = factor[NDays[order->Persons[begin]]];
            const std::size_t first = j;
            for (std::int32_t i = begin; i < end; ++i) {
                const std::int32_t c = count[order->Persons[i]];
                pending[j] = {(1 - f) * mean + f * (shift + order->Means[i]), c};
                j += c > 0;
            }
            if (j > first) classes.push_back({first, j});
        }
        if (classes.size() == 1) {
            scratch.Shrunk.assign(pending.begin(),
                                  pending.begin() + static_cast<std::ptrdiff_t>(j));
        } else {
            // The least head by a total order (the earlier class on ties),
            // chosen without branches.
            while (!classes.empty()) {
                std::size_t least = 0;
                std::uint64_t lowest = SortableBits(pending[classes[0].At].Mean);
                for (std::size_t c = 1; c < classes.size(); ++c) {
                    const std::uint64_t key = SortableBits(pending[classes[c].At].Mean);
                    const bool lower = key < lowest;
                    least = lower ? c : least;
                    lowest = lower ? key : lowest;
                }
                TReplicateScratch::TClass& head = classes[least];
                scratch.Shrunk.push_back(pending[head.At++]);
                if (head.At == head.End)
                    classes.erase(classes.begin() + static_cast<std::ptrdiff_t>(least));
            }
        }
    } else {
        for (const std::int32_t p : scratch.Drawn) scratch.Shrunk.push_back({shrunk(p), count[p]});
        // Equal means in a fixed order of their counts, so that the sums
        // over them come out the same with every library's sort.
        std::sort(scratch.Shrunk.begin(), scratch.Shrunk.end(),
                  [](const TReplicateScratch::TShrunk& a, const TReplicateScratch::TShrunk& b) {
                      const std::uint64_t x = SortableBits(a.Mean), y = SortableBits(b.Mean);
                      return x != y ? x < y : a.Count < b.Count;
                  });
    }
    const TBackTransform backTransform{Settings.NormalizeMethod, power, logOffset, vw};
    scratch.Habitual.resize(scratch.Shrunk.size());
    for (std::size_t i = 0; i < scratch.Shrunk.size(); ++i)
        scratch.Habitual[i] = backTransform(scratch.Shrunk[i].Mean);
    RunFigures(
        persons, static_cast<std::int64_t>(scratch.Shrunk.size()),
        [&scratch](std::int64_t i) { return scratch.Habitual[i]; },
        [&scratch](std::int64_t i) { return static_cast<std::int64_t>(scratch.Shrunk[i].Count); },
        Cuts, out.Habit);
}

const TReplicateFrame::TPersonOrder& TReplicateFrame::OrderOf(int k) const {
    const auto column = static_cast<std::size_t>(k);
    std::call_once(OrderOnce[column], [this, column] {
        const std::int32_t persons = NPerson();
        const double* sums = &Sums[column * static_cast<std::size_t>(persons) * 2];
        std::vector<double> mean(static_cast<std::size_t>(persons));
        for (std::int32_t p = 0; p < persons; ++p) mean[p] = sums[2 * p] / NDays[p];
        auto order = std::make_unique<TPersonOrder>();
        order->Persons.resize(static_cast<std::size_t>(persons));
        std::iota(order->Persons.begin(), order->Persons.end(), 0);
        // A total order: persons of equal mean by their index.
        std::sort(order->Persons.begin(), order->Persons.end(),
                  [&](std::int32_t a, std::int32_t b) {
                      if (NDays[a] != NDays[b]) return NDays[a] < NDays[b];
                      const std::uint64_t x = SortableBits(mean[a]), y = SortableBits(mean[b]);
                      return x != y ? x < y : a < b;
                  });
        for (std::int32_t i = 0; i < persons;) {
            std::int32_t j = i;
            while (j < persons && NDays[order->Persons[j]] == NDays[order->Persons[i]]) ++j;
            order->Classes.emplace_back(i, j);
            i = j;
        }
        order->Means.resize(static_cast<std::size_t>(persons));
        for (std::int32_t i = 0; i < persons; ++i) order->Means[i] = mean[order->Persons[i]];
        Orders[column] = std::move(order);
    });
    return *Orders[column];
}

void TReplicateFrame::EstimateNaive(const std::int32_t* count, TReplicateScratch& scratch,
                                    TReplicateFigures& out) const {
    const std::int32_t persons = NPerson();
    std::int64_t n = 0;
    for (std::int32_t p = 0; p < persons; ++p) n += static_cast<std::int64_t>(count[p]) * NDays[p];
    if (n > std::numeric_limits<std::int32_t>::max()) throw std::bad_alloc();
    if (!scratch.Workspace) scratch.Workspace = std::make_unique<TAnova1Way>();
    TAnova1Way& ws = *scratch.Workspace;
    if (ws.NAll < n && !ws.Allocate(static_cast<std::int32_t>(n))) throw std::bad_alloc();

    // Each draw becomes a person of its own: the draws of one key are
    // numbered, so that persons of equal key stay apart.
    std::int32_t i = 0, draw = 0;
    for (std::int32_t p = 0; p < persons; ++p) {
        const TGroupRecord& first = PersonRecords[PersonStart[p]];
        if (p > 0) {
            TGroupRecord previous = PersonRecords[PersonStart[p - 1]];
            previous.Draw = first.Draw;
            if (ComparePersons(*Keys, previous, first) != 0) draw = 0;
        }
        for (std::int32_t c = 0; c < count[p]; ++c, ++draw)
            for (std::int32_t r = PersonStart[p]; r < PersonStart[p + 1]; ++r) {
                ws.Records[i] = PersonRecords[r];
                ws.Records[i++].Draw = draw;
            }
    }
    ws.NData = i;
    ws.Keys = Keys;
    EstimateGroup(ws, Settings);
    CaptureFigures(ws, Cuts, out);
}

} // namespace habitual
