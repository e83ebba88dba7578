#include "engine/Percentiles.h"

#include <algorithm>
#include <cmath>

#include "engine/RadixSort.h"

namespace habitual {
namespace {

// Entry p is the sample quantile of type 6 at (n + 1) p / 100.
template <class Value> void FillPercentiles(double (&pct)[101], std::int32_t n, Value x) {
    for (int p = 0; p <= 100; ++p) pct[p] = ValueAtPosition(n, PercentilePosition(n, p), x);
}

template <class Value> double MeanOf(std::int32_t n, Value x) {
    double sum = 0;
    for (std::int32_t i = 0; i < n; ++i) sum += x(i);
    return sum / n;
}

template <class Value> double SDOf(std::int32_t n, Value x) {
    const double m = MeanOf(n, x);
    double ss = 0;
    for (std::int32_t i = 0; i < n; ++i) {
        const double d = x(i) - m;
        ss += d * d;
    }
    return std::sqrt(ss / (n - 1));
}

template <class Value> double ShareBelow(std::int32_t n, Value x, double limit) {
    std::int64_t below = 0;
    for (std::int32_t i = 0; i < n; ++i)
        if (x(i) < limit) ++below;
    return static_cast<double>(below) / n;
}

auto DailyValue(const TAnova1Way& ctx) {
    return [&ctx](std::int64_t i) { return ctx.Records[i].Value; };
}
auto HabitValue(const TAnova1Way& ctx) {
    return [&ctx](std::int64_t i) { return ctx.Persons[i].Habitual; };
}

} // namespace

void ComputePercentiles(TAnova1Way& ctx) {
    // The workspace's scratch is free here: spare room for the sorts.
    const std::size_t scratch = ctx.Scratch ? static_cast<std::size_t>(ctx.NAll) *
                                                  TAnova1Way::ScratchPerRecord * sizeof(double)
                                            : 0;
    SortByKey(
        ctx.Records, ctx.NData, ctx.SortRoomRecords,
        [](const TGroupRecord& r) { return r.Transformed; }, ctx.Scratch, scratch);
    static_assert(sizeof(TPersonRecord) <= sizeof(TGroupRecord));
    SortByKey(
        ctx.Persons, ctx.NPerson, reinterpret_cast<TPersonRecord*>(ctx.SortRoomRecords),
        [](const TPersonRecord& p) { return p.ShrunkMean; }, ctx.Scratch, scratch);
    FillPercentiles(ctx.PctDaily, ctx.NData, DailyValue(ctx));
    FillPercentiles(ctx.PctHabit, ctx.NPerson, HabitValue(ctx));
}

double DailyMean(const TAnova1Way& ctx) {
    return MeanOf(ctx.NData, DailyValue(ctx));
}
double HabitMean(const TAnova1Way& ctx) {
    return MeanOf(ctx.NPerson, HabitValue(ctx));
}
double DailySD(const TAnova1Way& ctx) {
    return SDOf(ctx.NData, DailyValue(ctx));
}
double HabitSD(const TAnova1Way& ctx) {
    return SDOf(ctx.NPerson, HabitValue(ctx));
}
double DailyShareBelow(const TAnova1Way& ctx, double limit) {
    return ShareBelow(ctx.NData, DailyValue(ctx), limit);
}
double HabitShareBelow(const TAnova1Way& ctx, double limit) {
    return ShareBelow(ctx.NPerson, HabitValue(ctx), limit);
}

} // namespace habitual
