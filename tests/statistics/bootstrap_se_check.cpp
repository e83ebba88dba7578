// Checks the bootstrap standard errors against the spread of the estimates
// over many surveys simulated from a known model.
//
// Model (per scenario): person effects b ~ N(0, sb^2), day effects
// w ~ N(0, sw^2), a day's intake exp(mu + b + w) recorded to one decimal;
// the habitual intake of a person is exp(mu + b + sw^2 / 2), so the true
// habitual median is exp(mu + sw^2 / 2), the 90th percentile
// exp(mu + sw^2 / 2 + 1.2816 sb), and a quarter of the persons lie below
// exp(mu + sw^2 / 2 - 0.6745 sb). For each simulated survey the program
// estimates these figures as a run does (best power) and computes their
// bootstrap standard errors and 95 % percentile intervals. The standard
// error is right when it agrees with the standard deviation of the
// estimates over the surveys.
//
// usage: habitual-bootstrap-se-check [--surveys N] [--replicates B] [--seed S]
// Prints a table per scenario; exits with 1 when a ratio of the root mean
// square bootstrap standard error to the standard deviation of the estimates
// lies outside 0.8 .. 1.2.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "engine/Bootstrap.h"
#include "engine/EstimateGroup.h"
#include "tests/statistics/Normal.h"
#include "tests/support/GroupFixture.h"

using namespace habitual;
using habitual::statistics::TNormal;

namespace {

struct TScenario {
    const char* Name;
    int Persons;
    int MinDays, MaxDays;
    double Mu, SB, SW;
};

const TScenario Scenarios[] = {
    {"300 persons, 1-3 days", 300, 1, 3, std::log(2000.0), 0.20, 0.30},
    {"1000 persons, 2 days", 1000, 2, 2, std::log(60.0), 0.25, 0.35},
    {"500 persons, 1-2 days", 500, 1, 2, std::log(8.0), 0.30, 0.25},
};

// The figures checked: habitual median, 90th percentile, share below the
// true 25th percentile (in percent).
constexpr int Figures = 3;
const char* const FigureNames[Figures] = {"habitual median", "habitual P90", "share below P25"};

struct TOutcome {
    bool Shown = false;
    double Estimate[Figures] = {};
    double SE[Figures] = {};
    double Lower[Figures] = {}, Upper[Figures] = {};
};

struct TTruth {
    double Median, P90, P25;
};

TTruth Truth(const TScenario& s) {
    const double centre = s.Mu + s.SW * s.SW / 2;
    return {std::exp(centre), std::exp(centre + 1.2815516 * s.SB),
            std::exp(centre - 0.6744898 * s.SB)};
}

std::string CutOffText(double limit) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g-", limit);
    return text;
}

TOutcome Simulate(const TScenario& s, std::uint64_t seed, int replicates, std::uint64_t survey) {
    TNormal normal(ReplicateSeed(seed, survey, 1));
    std::vector<test::PersonValues> persons;
    for (int p = 0; p < s.Persons; ++p) {
        std::string key = "p";
        key += std::to_string(100000 + p);
        test::PersonValues person{key, {}};
        const double b = s.SB * normal.Next();
        const int days = s.MinDays + static_cast<int>(normal.Uniform().Below(
                                         static_cast<std::uint32_t>(s.MaxDays - s.MinDays + 1)));
        for (int d = 0; d < days; ++d)
            person.Values.push_back(std::round(std::exp(s.Mu + b + s.SW * normal.Next()) * 10) /
                                    10);
        persons.push_back(person);
    }
    test::TTestGroup ctx;
    test::FillGroup(ctx, persons);
    TAnalysisSettings settings;
    settings.CutOffText = CutOffText(Truth(s).P25);
    EstimateGroup(ctx, settings);
    TOutcome out;
    out.Shown = HabitualEstimable(ctx);
    if (!out.Shown) return out;
    TBootstrapOptions options;
    options.Replicates = replicates;
    options.Seed = seed + survey;
    options.Threads = 1;
    const auto iv = BootstrapGroup(ctx, settings, options, 0, {});
    const double below = 100 * HabitShareBelow(ctx, Truth(s).P25);
    const double estimates[Figures] = {ctx.PctHabit[50], ctx.PctHabit[90], below};
    const TInterval* intervals[Figures] = {&iv->Habit.Pct[50], &iv->Habit.Pct[90],
                                           &iv->Habit.Shares[0]};
    for (int f = 0; f < Figures; ++f) {
        out.Estimate[f] = estimates[f];
        out.SE[f] = intervals[f]->SE;
        out.Lower[f] = intervals[f]->Lower;
        out.Upper[f] = intervals[f]->Upper;
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    int surveys = 400, replicates = 200;
    std::uint64_t seed = 31415;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--surveys") == 0) surveys = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--replicates") == 0) replicates = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--seed") == 0) seed = std::strtoull(argv[i + 1], nullptr, 10);
    }
    std::printf("Bootstrap standard errors against the spread over %d simulated surveys "
                "(B = %d, seed %llu)\n",
                surveys, replicates, static_cast<unsigned long long>(seed));
    bool ok = true;
    for (std::size_t sc = 0; sc < std::size(Scenarios); ++sc) {
        const TScenario& s = Scenarios[sc];
        std::vector<TOutcome> outcomes(static_cast<std::size_t>(surveys));
        std::atomic<int> next{0};
        std::vector<std::thread> threads;
        for (unsigned t = 0; t < std::max(1u, std::thread::hardware_concurrency()); ++t)
            threads.emplace_back([&] {
                for (int i = next++; i < surveys; i = next++)
                    outcomes[static_cast<std::size_t>(i)] =
                        Simulate(s, seed + 1000003 * sc, replicates, static_cast<std::uint64_t>(i));
            });
        for (std::thread& t : threads) t.join();

        const TTruth truth = Truth(s);
        const double truths[Figures] = {truth.Median, truth.P90, 25};
        std::printf("\n%s (mu = log %.0f, sb = %.2f, sw = %.2f)\n", s.Name, std::exp(s.Mu), s.SB,
                    s.SW);
        std::printf("  %-16s %10s %10s %10s %10s %7s %9s\n", "figure", "truth", "mean est.",
                    "SD est.", "RMS SE", "ratio", "coverage");
        for (int f = 0; f < Figures; ++f) {
            double sum = 0, ss = 0, se2 = 0;
            int n = 0, covered = 0;
            for (const TOutcome& o : outcomes) {
                if (!o.Shown) continue;
                ++n;
                sum += o.Estimate[f];
                se2 += o.SE[f] * o.SE[f];
                covered += o.Lower[f] <= truths[f] && truths[f] <= o.Upper[f];
            }
            const double mean = sum / n;
            for (const TOutcome& o : outcomes)
                if (o.Shown) ss += (o.Estimate[f] - mean) * (o.Estimate[f] - mean);
            const double sd = std::sqrt(ss / (n - 1));
            const double rms = std::sqrt(se2 / n);
            const double ratio = rms / sd;
            const bool within = ratio >= 0.8 && ratio <= 1.2;
            ok = ok && within;
            std::printf("  %-16s %10.4g %10.4g %10.4g %10.4g %7.3f %8.1f%%%s\n", FigureNames[f],
                        truths[f], mean, sd, rms, ratio, 100.0 * covered / n,
                        within ? "" : "  OUTSIDE 0.8 .. 1.2");
        }
        int shown = 0;
        for (const TOutcome& o : outcomes) shown += o.Shown;
        std::printf("  (%d of %d surveys with a habitual distribution)\n", shown, surveys);
    }
    std::printf("\n%s\n", ok ? "all ratios within 0.8 .. 1.2" : "SOME RATIOS OUTSIDE 0.8 .. 1.2");
    return ok ? 0 : 1;
}
