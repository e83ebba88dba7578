// The bootstrap confidence intervals of a group: plain values that outlive
// the run, part of TGroupResult.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

namespace habitual {

// One figure's percentile interval and bootstrap standard error; not a
// number where no usable replicate gave the figure.
struct TInterval {
    double Lower = std::numeric_limits<double>::quiet_NaN();
    double Upper = std::numeric_limits<double>::quiet_NaN();
    double SE = std::numeric_limits<double>::quiet_NaN();
};

// The intervals of every figure of one distribution: the 101 percentiles,
// the mean, the standard deviation and each cut-off's share (in percent,
// below the limit or at and above it, as the report gives the share).
struct TDistributionIntervals {
    std::array<TInterval, 101> Pct;
    TInterval Mean, SD;
    std::vector<TInterval> Shares;
};

struct TGroupIntervals {
    std::int32_t Replicates = 0; // B
    // Replicates without a habitual distribution (a variance component not
    // positive); the habitual intervals come from the others.
    std::int32_t Failed = 0;
    std::uint64_t Seed = 0;
    std::int32_t Level = 95; // percent
    // Best power only: how many replicates chose each candidate (the log,
    // then the exponents 2, 1, 2/3 ... 1/10), and how many none.
    std::vector<std::int32_t> CandidateCounts;
    std::int32_t NoCandidate = 0;
    TDistributionIntervals Daily, Habit;

    std::int32_t Usable() const { return Replicates - Failed; }
    double FailedShare() const { return Replicates > 0 ? double(Failed) / Replicates : 0; }
};

} // namespace habitual
