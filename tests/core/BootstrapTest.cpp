#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numeric>
#include <string>
#include <vector>

#include "engine/Bootstrap.h"
#include "engine/Random.h"
#include "engine/ReplicateFrame.h"
#include "tests/support/GroupFixture.h"

using namespace habitual;
using namespace habitual::test;

namespace {

// A group of persons with one to maxDays days of log-normal intakes,
// recorded to one decimal (so that values repeat), a share of them 0.
std::vector<PersonValues> RandomPersons(std::uint64_t seed, int persons, int maxDays,
                                        double zeroShare, double spread = 0.4) {
    TXoshiro256 random(seed);
    auto normal = [&random] {
        const double u = 1 - random.Uniform(), v = random.Uniform();
        return std::sqrt(-2 * std::log(u)) * std::cos(6.283185307179586 * v);
    };
    std::vector<PersonValues> group;
    for (int p = 0; p < persons; ++p) {
        PersonValues person{"id" + std::to_string(1000 + p), {}};
        const double level = std::log(50) + spread * normal();
        const int days = 1 + static_cast<int>(random.Below(static_cast<std::uint32_t>(maxDays)));
        for (int d = 0; d < days; ++d) {
            double v = std::round(std::exp(level + 0.5 * normal()) * 10) / 10;
            if (random.Uniform() < zeroShare) v = 0;
            person.Values.push_back(v);
        }
        group.push_back(person);
    }
    return group;
}

TAnalysisSettings Settings(int method, const std::string& power = "", int hendo = 0,
                           const std::string& given = "") {
    TAnalysisSettings s;
    s.NormalizeMethod = method;
    s.PowerText = power;
    s.HendoMode = hendo;
    s.VWText = given;
    s.VWBRatioText = given;
    s.CutOffText = "40 60- 0";
    return s;
}

// Figures agree when they are equal up to rounding in the last digits (the
// fast path adds in another order), or are both not numbers.
void ExpectSameFigures(const std::vector<double>& fast, const std::vector<double>& naive,
                       const std::string& what, double tolerance = 1e-9) {
    ASSERT_EQ(fast.size(), naive.size()) << what;
    for (std::size_t i = 0; i < fast.size(); ++i) {
        if (std::isnan(naive[i])) {
            EXPECT_TRUE(std::isnan(fast[i])) << what << " figure " << i;
            continue;
        }
        EXPECT_NEAR(fast[i], naive[i], tolerance * std::max(1.0, std::fabs(naive[i])))
            << what << " figure " << i;
    }
}

// The number of distinct values among the drawn persons' values. Of two
// values every increasing transformation makes the same normal plot, so the
// candidates' R-squares differ by rounding alone and either path may pick
// any of them.
std::size_t DistinctDrawn(const std::vector<PersonValues>& persons,
                          const std::vector<std::int32_t>& count) {
    std::vector<double> values;
    for (std::size_t p = 0; p < persons.size(); ++p)
        if (count[p] > 0)
            values.insert(values.end(), persons[p].Values.begin(), persons[p].Values.end());
    std::sort(values.begin(), values.end());
    return static_cast<std::size_t>(std::unique(values.begin(), values.end()) - values.begin());
}

} // namespace

TEST(Random, GeneratorsFollowTheirPublishedAlgorithms) {
    // SplitMix64 from 1234567, as its reference implementation prints it.
    std::uint64_t state = 1234567;
    for (std::uint64_t expected :
         {6457827717110365317ull, 3203168211198807973ull, 9817491932198370423ull,
          4593380528125082431ull, 16408922859458223821ull})
        EXPECT_EQ(SplitMix64(state), expected);
    // xoshiro256** seeded with 42, and a replicate's stream with its draws,
    // from an independent transcription of the algorithms.
    TXoshiro256 x(42);
    for (std::uint64_t expected : {1546998764402558742ull, 6990951692964543102ull,
                                   12544586762248559009ull, 17057574109182124193ull})
        EXPECT_EQ(x.Next(), expected);
    EXPECT_EQ(ReplicateSeed(12345, 3, 7), 16010462349357180069ull);
    std::vector<std::int32_t> count(10);
    DrawReplicate(12345, 3, 7, 10, count.data());
    EXPECT_EQ(count, (std::vector<std::int32_t>{0, 1, 2, 1, 3, 0, 0, 1, 0, 2}));
    TXoshiro256 y(7);
    std::vector<std::uint32_t> below;
    for (int i = 0; i < 10; ++i) below.push_back(y.Below(3));
    EXPECT_EQ(below, (std::vector<std::uint32_t>{2, 0, 2, 2, 2, 2, 0, 0, 1, 0}));
}

TEST(Random, BoundedDrawIsUniform) {
    // A range just above 2^31 rejects almost half of the outputs; a biased
    // draw would favour the lower half of the range.
    for (std::uint32_t range : {3u, 1000u, 2147483649u}) {
        TXoshiro256 random(range);
        const int n = 200000;
        int low = 0;
        for (int i = 0; i < n; ++i) {
            const std::uint32_t v = random.Below(range);
            ASSERT_LT(v, range);
            if (v < range / 2) ++low;
        }
        const double expected = n * double(range / 2) / range;
        EXPECT_NEAR(low, expected, 5 * std::sqrt(n * 0.25)) << range;
    }
}

TEST(Bootstrap, ReplicateStreamsDependOnSeedGroupAndReplicateOnly) {
    std::vector<std::int32_t> a(50), b(50), c(50), d(50);
    DrawReplicate(1, 2, 3, 50, a.data());
    DrawReplicate(1, 2, 3, 50, b.data());
    DrawReplicate(1, 3, 2, 50, c.data());
    DrawReplicate(2, 2, 3, 50, d.data());
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_NE(a, d);
    EXPECT_EQ(std::accumulate(a.begin(), a.end(), 0), 50);
}

// The fast path against the plain estimation of the resampled group, over
// methods, given variances, zeros, ties, persons of one day and draws that
// leave almost nobody.
TEST(Bootstrap, FastReplicateEqualsThePlainEstimation) {
    struct Case {
        const char* Name;
        TAnalysisSettings Settings;
        int Persons, MaxDays;
        double ZeroShare, Spread;
    } cases[] = {
        {"best", Settings(Normalize::BestPower), 60, 3, 0, 0.6},
        {"best with zeros", Settings(Normalize::BestPower), 80, 2, 0.1, 1.2},
        {"best, wide", Settings(Normalize::BestPower), 40, 4, 0.02, 1.5},
        {"log with zeros", Settings(Normalize::Log), 50, 3, 0.15, 1.2},
        {"none", Settings(Normalize::None), 50, 2, 0.05, 0.6},
        {"power 0.5", Settings(Normalize::GivenPower, "0.5"), 50, 3, 0, 0.6},
        {"power 0", Settings(Normalize::GivenPower, "0"), 50, 3, 0.1, 1.2},
        {"given within", Settings(Normalize::GivenPower, "0.3", Hendo::WithinGiven, "0.05"), 40, 3,
         0, 0.6},
        {"given ratio", Settings(Normalize::GivenPower, "-1", Hendo::RatioGiven, "1.5"), 40, 2, 0,
         0.6},
        {"half one day", Settings(Normalize::BestPower), 300, 2, 0.01, 0.6},
    };
    std::uint64_t seed = 1;
    for (const Case& c : cases) {
        TTestGroup ctx;
        FillGroup(ctx, RandomPersons(seed++, c.Persons, c.MaxDays, c.ZeroShare, c.Spread));
        TReplicateFrame frame;
        frame.Prepare(ctx, c.Settings);
        ASSERT_TRUE(frame.Fast()) << c.Name;
        const std::int32_t P = frame.NPerson();
        TReplicateScratch fastRoom, naiveRoom;
        std::vector<std::int32_t> count(P);
        int shown = 0;
        for (int r = 0; r < 40; ++r) {
            DrawReplicate(seed, 0, r, P, count.data());
            if (r == 0) std::fill(count.begin(), count.end(), 1); // the group itself
            if (r == 1) {                                         // two persons only
                std::fill(count.begin(), count.end(), 0);
                count[0] = P - 1;
                count[P - 1] = 1;
            }
            TReplicateFigures fast, naive;
            frame.Estimate(count.data(), fastRoom, fast);
            frame.EstimateNaive(count.data(), naiveRoom, naive);
            const std::string what = std::string(c.Name) + ", replicate " + std::to_string(r);
            EXPECT_EQ(fast.HabitualShown, naive.HabitualShown) << what;
            EXPECT_EQ(fast.ChosenCandidate, naive.ChosenCandidate) << what;
            ExpectSameFigures(fast.Daily, naive.Daily, what + " one-day");
            ExpectSameFigures(fast.Habit, naive.Habit, what + " habitual");
            shown += naive.HabitualShown;
        }
        EXPECT_GT(shown, 20) << c.Name;
    }
}

TEST(Bootstrap, DegenerateReplicatesMatchThePlainEstimation) {
    struct Case {
        const char* Name;
        std::vector<PersonValues> Persons;
    } cases[] = {
        {"equal values", {{"a", {5, 5}}, {"b", {5}}, {"c", {5, 5, 5}}}},
        {"equal within persons", {{"a", {1, 1}}, {"b", {2, 2}}, {"c", {4}}}},
        {"zeros only", {{"a", {0, 0}}, {"b", {0}}, {"c", {0, 1}}}},
        {"0 and 1", {{"a", {0, 1}}, {"b", {1, 1}}, {"c", {0, 0}}, {"d", {1}}}},
        {"equal keys, two draws", {{"a", {3, 4}}, {"a", {5, 9}}, {"b", {2, 8}}}},
    };
    for (const Case& c : cases) {
        TTestGroup ctx;
        FillGroup(ctx, c.Persons);
        // Persons of equal key told apart by their draw, as in a resample.
        for (std::int32_t i = 2; i < ctx.NData && c.Persons[0].Key == c.Persons[1].Key; ++i)
            if (i < 4) ctx.Records[i].Draw = 1;
        for (int method = 0; method < 4; ++method) {
            TReplicateFrame frame;
            frame.Prepare(ctx, Settings(method, "0"));
            const std::int32_t P = frame.NPerson();
            TReplicateScratch fastRoom, naiveRoom;
            std::vector<std::int32_t> count(P);
            for (int r = 0; r < 30; ++r) {
                DrawReplicate(7, method, r, P, count.data());
                TReplicateFigures fast, naive;
                frame.Estimate(count.data(), fastRoom, fast);
                frame.EstimateNaive(count.data(), naiveRoom, naive);
                const std::string what = std::string(c.Name) + ", method " +
                                         std::to_string(method) + ", replicate " +
                                         std::to_string(r);
                // Such groups leave the shrinkage to differences of nearly
                // equal sums, where rounding weighs more.
                ExpectSameFigures(fast.Daily, naive.Daily, what + " one-day", 1e-7);
                if (method == Normalize::BestPower && DistinctDrawn(c.Persons, count) < 3) continue;
                EXPECT_EQ(fast.HabitualShown, naive.HabitualShown) << what;
                EXPECT_EQ(fast.ChosenCandidate, naive.ChosenCandidate) << what;
                ExpectSameFigures(fast.Habit, naive.Habit, what + " habitual", 1e-7);
            }
        }
    }
}

TEST(Bootstrap, GroupsWithNegativeValuesTakeThePlainPath) {
    TTestGroup ctx;
    FillGroup(ctx, {{"a", {1, 2}}, {"b", {-3, 4}}, {"c", {5, 6}}, {"d", {2, 9}}});
    TReplicateFrame frame;
    frame.Prepare(ctx, Settings(Normalize::BestPower));
    EXPECT_FALSE(frame.Fast());
    std::vector<std::int32_t> count{1, 1, 1, 1};
    TReplicateScratch room;
    TReplicateFigures figures;
    frame.Estimate(count.data(), room, figures);
    EstimateGroup(ctx, Settings(Normalize::BestPower));
    EXPECT_EQ(figures.Daily[50], ctx.PctDaily[50]);
}

TEST(Bootstrap, IntervalLimitsAreType6QuantilesOfTheReplicates) {
    // 999 replicates with the estimates 1 .. 999 in a shuffled order: the
    // 95 % limits stand at the positions 25 and 975, the 90 % limits at 50
    // and 950, the 99 % limits at 5 and 995; the standard error has the
    // divisor B - 1.
    std::vector<TReplicateFigures> figures(999);
    for (std::size_t r = 0; r < figures.size(); ++r) {
        const double v = static_cast<double>((r * 379) % 999 + 1);
        figures[r].Daily.assign(FigureCount(1), v);
        figures[r].Habit.assign(FigureCount(1), r < 9 ? std::nan("") : v);
        figures[r].HabitualShown = r >= 9;
        figures[r].ChosenCandidate = r % 3 == 0 ? -1 : static_cast<int>(r % 3);
    }
    struct Case {
        int Level;
        double Lower, Upper;
    } cases[] = {{95, 25, 975}, {90, 50, 950}, {99, 5, 995}};
    for (const Case& c : cases) {
        TBootstrapOptions o;
        o.Level = c.Level;
        const TGroupIntervals iv = SummariseReplicates(figures, 1, Normalize::BestPower, o);
        EXPECT_EQ(iv.Daily.Pct[50].Lower, c.Lower);
        EXPECT_EQ(iv.Daily.Pct[50].Upper, c.Upper);
        EXPECT_EQ(iv.Daily.Shares[0].Upper, c.Upper);
        EXPECT_NEAR(iv.Daily.Mean.SE, std::sqrt(999.0 * 1000 / 12), 1e-9);
        EXPECT_EQ(iv.Failed, 9);
        EXPECT_EQ(iv.NoCandidate, 333);
        EXPECT_EQ(iv.CandidateCounts[1], 333);
        EXPECT_EQ(iv.CandidateCounts[2], 333);
    }
    // The habitual limits come from the 990 replicates that have them, at
    // the positions 991 x 0.025 = 24.775 and 991 x 0.975 = 966.225.
    TBootstrapOptions o;
    const TGroupIntervals iv = SummariseReplicates(figures, 1, Normalize::BestPower, o);
    std::vector<double> kept;
    for (std::size_t r = 9; r < figures.size(); ++r) kept.push_back(figures[r].Habit[0]);
    std::sort(kept.begin(), kept.end());
    EXPECT_DOUBLE_EQ(iv.Habit.Pct[0].Lower, (1 - 0.775) * kept[23] + 0.775 * kept[24]);
    EXPECT_DOUBLE_EQ(iv.Habit.Pct[0].Upper, (1 - 0.225) * kept[965] + 0.225 * kept[966]);
}

TEST(Bootstrap, SameIntervalsWithAnyNumberOfThreadsAndFromThePlainPath) {
    TTestGroup ctx;
    FillGroup(ctx, RandomPersons(11, 120, 3, 0.05));
    const TAnalysisSettings s = Settings(Normalize::BestPower);
    EstimateGroup(ctx, s);
    TBootstrapOptions o;
    o.Replicates = 150;
    o.Seed = 99;
    o.Threads = 1;
    const auto one = BootstrapGroup(ctx, s, o, 4, {});
    o.Threads = 2;
    const auto two = BootstrapGroup(ctx, s, o, 4, {});
    o.Threads = 5;
    const auto five = BootstrapGroup(ctx, s, o, 4, {});
    ASSERT_TRUE(one && two && five);
    for (const auto* other : {&*two, &*five}) {
        for (int p = 0; p <= 100; ++p) {
            EXPECT_EQ(one->Habit.Pct[p].Lower, other->Habit.Pct[p].Lower);
            EXPECT_EQ(one->Habit.Pct[p].Upper, other->Habit.Pct[p].Upper);
            EXPECT_EQ(one->Daily.Pct[p].SE, other->Daily.Pct[p].SE);
        }
        EXPECT_EQ(one->Habit.Shares[1].SE, other->Habit.Shares[1].SE);
        EXPECT_EQ(one->CandidateCounts, other->CandidateCounts);
    }

    // The same replicates by the plain estimation give the same intervals.
    TReplicateFrame frame;
    frame.Prepare(ctx, s);
    std::vector<TReplicateFigures> naive(o.Replicates);
    TReplicateScratch room;
    std::vector<std::int32_t> count(frame.NPerson());
    for (int r = 0; r < o.Replicates; ++r) {
        DrawReplicate(o.Seed, 4, r, frame.NPerson(), count.data());
        frame.EstimateNaive(count.data(), room, naive[r]);
    }
    const TGroupIntervals plain = SummariseReplicates(naive, 3, s.NormalizeMethod, o);
    EXPECT_EQ(plain.Failed, one->Failed);
    EXPECT_EQ(plain.CandidateCounts, one->CandidateCounts);
    for (int p = 0; p <= 100; ++p) {
        EXPECT_NEAR(plain.Habit.Pct[p].Lower, one->Habit.Pct[p].Lower, 1e-9 * 100);
        EXPECT_NEAR(plain.Habit.Pct[p].Upper, one->Habit.Pct[p].Upper, 1e-9 * 100);
        EXPECT_NEAR(plain.Daily.Pct[p].SE, one->Daily.Pct[p].SE, 1e-9 * 100);
    }
    EXPECT_NEAR(plain.Habit.Mean.SE, one->Habit.Mean.SE, 1e-9);
}

TEST(Bootstrap, ProgressCanStopTheGroup) {
    TTestGroup ctx;
    FillGroup(ctx, RandomPersons(5, 200, 2, 0));
    const TAnalysisSettings s = Settings(Normalize::BestPower);
    EstimateGroup(ctx, s);
    TBootstrapOptions o;
    o.Replicates = 100000;
    std::vector<double> seen;
    const auto result = BootstrapGroup(ctx, s, o, 0, [&seen](double done) {
        seen.push_back(done);
        return seen.size() < 3;
    });
    EXPECT_FALSE(result);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], 0.0);
    EXPECT_LT(seen[2], 1.0);
}

TEST(Bootstrap, SeedsAreDecimalWholeNumbers) {
    std::uint64_t seed = 0;
    EXPECT_TRUE(ParseSeed("18446744073709551615", seed));
    EXPECT_EQ(seed, UINT64_MAX);
    EXPECT_TRUE(ParseSeed("0", seed));
    EXPECT_EQ(seed, 0u);
    for (const char* bad : {"", "18446744073709551616", "-1", "1.5", "12a", " 1", "1e3"})
        EXPECT_FALSE(ParseSeed(bad, seed)) << bad;
}
