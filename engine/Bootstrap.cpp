#include "engine/Bootstrap.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>

#include "engine/Percentiles.h"
#include "engine/RadixSort.h"
#include "engine/Random.h"
#include "engine/Workers.h"

namespace habitual {
namespace {

// The interval of one figure from its replicate estimates (sorted here).
TInterval IntervalOf(std::vector<double>& values, std::int32_t level) {
    TInterval interval;
    const auto n = static_cast<std::int64_t>(values.size());
    if (n == 0) return interval;
    // A total order (-0 before +0, not-a-number last), so that equal values
    // stand the same way with every library's sort.
    std::sort(values.begin(), values.end(),
              [](double a, double b) { return SortableBits(a) < SortableBits(b); });
    // The positions (n + 1)(1 -+ level) / 2 as exact fractions of 200.
    auto at = [n](std::int64_t percentTwice) {
        const std::int64_t a = (n + 1) * percentTwice;
        return TQuantilePosition{a / 200, static_cast<double>(a % 200) / 200};
    };
    auto value = [&values](std::int64_t i) { return values[static_cast<std::size_t>(i)]; };
    interval.Lower = ValueAtPosition(n, at(100 - level), value);
    interval.Upper = ValueAtPosition(n, at(100 + level), value);
    if (n >= 2) {
        double sum = 0;
        for (double v : values) sum += v;
        const double mean = sum / static_cast<double>(n);
        double ss = 0;
        for (double v : values) ss += (v - mean) * (v - mean);
        interval.SE = std::sqrt(ss / static_cast<double>(n - 1));
    }
    return interval;
}

TInterval& Slot(TDistributionIntervals& d, int figure) {
    if (figure <= 100) return d.Pct[static_cast<std::size_t>(figure)];
    if (figure == Figure::Mean) return d.Mean;
    if (figure == Figure::SD) return d.SD;
    return d.Shares[static_cast<std::size_t>(figure - Figure::FirstShare)];
}

int ReplicateThreads(const TBootstrapOptions& options) {
    return std::clamp(ThreadCount(options.Threads), 1, std::max(1, options.Replicates));
}

} // namespace

bool ValidLevel(std::int32_t level) {
    return level == 90 || level == 95 || level == 99;
}

bool ParseSeed(std::string_view text, std::uint64_t& seed) {
    if (text.empty() || text.size() > 20) return false;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10) return false;
        value = value * 10 + digit;
    }
    seed = value;
    return true;
}

void DrawReplicate(std::uint64_t seed, std::int32_t group, std::int32_t replicate,
                   std::int32_t nPersons, std::int32_t* count) {
    std::fill(count, count + nPersons, 0);
    TXoshiro256 random(ReplicateSeed(seed, static_cast<std::uint64_t>(group),
                                     static_cast<std::uint64_t>(replicate)));
    const auto range = static_cast<std::uint32_t>(nPersons);
    for (std::int32_t i = 0; i < nPersons; ++i) ++count[random.Below(range)];
}

TGroupIntervals SummariseReplicates(const std::vector<TReplicateFigures>& figures,
                                    std::size_t cutOffs, std::int32_t normalizeMethod,
                                    const TBootstrapOptions& options) {
    TGroupIntervals result;
    result.Replicates = static_cast<std::int32_t>(figures.size());
    result.Seed = options.Seed;
    result.Level = options.Level;
    if (normalizeMethod == Normalize::BestPower)
        result.CandidateCounts.assign(TAnova1Way::Candidates, 0);
    for (const TReplicateFigures& f : figures) {
        if (!f.HabitualShown) ++result.Failed;
        if (normalizeMethod != Normalize::BestPower) continue;
        if (f.ChosenCandidate < 0)
            ++result.NoCandidate;
        else
            ++result.CandidateCounts[static_cast<std::size_t>(f.ChosenCandidate)];
    }
    result.Daily.Shares.resize(cutOffs);
    result.Habit.Shares.resize(cutOffs);
    std::vector<double> values;
    values.reserve(figures.size());
    for (int j = 0; j < FigureCount(cutOffs); ++j) {
        const auto at = static_cast<std::size_t>(j);
        values.clear();
        for (const TReplicateFigures& f : figures) values.push_back(f.Daily[at]);
        Slot(result.Daily, j) = IntervalOf(values, options.Level);
        values.clear();
        for (const TReplicateFigures& f : figures)
            if (f.HabitualShown) values.push_back(f.Habit[at]);
        Slot(result.Habit, j) = IntervalOf(values, options.Level);
    }
    return result;
}

std::optional<TGroupIntervals> BootstrapGroup(const TAnova1Way& ctx,
                                              const TAnalysisSettings& settings,
                                              const TBootstrapOptions& options, std::int32_t group,
                                              const std::function<bool(double)>& progress) {
    TReplicateFrame frame;
    frame.Prepare(ctx, settings);
    const std::int32_t B = options.Replicates;
    const std::int32_t persons = frame.NPerson();
    std::vector<TReplicateFigures> figures(static_cast<std::size_t>(B));

    // The replicates are shared out as they come; each has its own stream
    // and its own place in figures, so the threads change nothing in them.
    if (progress && !progress(0)) return std::nullopt;
    std::atomic<std::int32_t> next{0}, done{0};
    TWorkers workers;
    workers.Start(ReplicateThreads(options), [&](int) {
        TReplicateScratch scratch;
        std::vector<std::int32_t> count(static_cast<std::size_t>(persons));
        while (!workers.Stop) {
            const std::int32_t r = next++;
            if (r >= B) break;
            DrawReplicate(options.Seed, group, r, persons, count.data());
            frame.Estimate(count.data(), scratch, figures[static_cast<std::size_t>(r)]);
            if (++done == B) workers.Notify();
        }
    });
    // The calling thread reports progress while the workers compute.
    bool cancelled = false;
    {
        std::unique_lock<std::mutex> hold(workers.Lock);
        while (done < B && !workers.Stop) {
            workers.Changed.wait_for(hold, std::chrono::milliseconds(30),
                                     [&] { return done == B || workers.Stop; });
            if (progress && done < B && !workers.Stop) {
                hold.unlock();
                const bool goOn = progress(static_cast<double>(done) / B);
                hold.lock();
                if (!goOn) {
                    cancelled = true;
                    workers.Stop = true;
                }
            }
        }
    }
    workers.Join();
    if (workers.Failure) std::rethrow_exception(workers.Failure);
    if (cancelled) return std::nullopt;
    if (progress && !progress(1.0)) return std::nullopt;
    return SummariseReplicates(figures, frame.CutOffs().size(), settings.NormalizeMethod, options);
}

} // namespace habitual
