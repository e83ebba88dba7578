// Bootstrap confidence intervals of a group's figures.
//
// Within the group, persons are drawn with replacement, each with all of his
// or her days, as many draws as the group has persons (a person drawn twice
// is two persons), and the group's whole estimation runs on each of B such
// replicates (ReplicateFrame.h). This resamples persons as a simple random
// sample; it knows nothing of strata, clusters or weights of a survey design.
//
// For each figure: the percentile interval, limits at the type-6 quantiles
// (Hyndman and Fan 1996, the definition of the report's own percentiles) of
// the replicate estimates at (1 - level) / 2 and (1 + level) / 2, and the
// bootstrap standard error, the standard deviation of the replicate
// estimates with divisor B - 1 (Efron, B. and Tibshirani, R. J. (1993), An
// Introduction to the Bootstrap, chapters 6 and 13). The habitual figures
// come from the replicates that have a habitual distribution.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/Anova1Way.h"
#include "engine/GroupIntervals.h"
#include "engine/ReplicateFrame.h"
#include "engine/Settings.h"

namespace habitual {

struct TBootstrapOptions {
    static constexpr std::uint64_t DefaultSeed = 12345;
    static constexpr std::int32_t DefaultReplicates = 1000;
    static constexpr std::int32_t MinReplicates = 100;
    static constexpr std::int32_t MaxReplicates = 100000;

    std::int32_t Replicates = 0; // B; 0: no intervals
    std::uint64_t Seed = DefaultSeed;
    std::int32_t Level = 95;  // percent: 90, 95 or 99
    std::int32_t Threads = 0; // 0: one per core
    // Called now and then on the calling thread with the share of the run's
    // resampling done (0 to 1); returning false stops the run.
    std::function<bool(double done)> Progress;

    bool On() const { return Replicates > 0; }
};

// Whether a level can be asked for.
bool ValidLevel(std::int32_t level);
// Reads a decimal seed of 0 to 2^64 - 1; false for anything else.
bool ParseSeed(std::string_view text, std::uint64_t& seed);

// The draws of replicate r of group g: count[p] is how often person p (in
// the order of TReplicateFrame) is drawn; nPersons draws in all.
void DrawReplicate(std::uint64_t seed, std::int32_t group, std::int32_t replicate,
                   std::int32_t nPersons, std::int32_t* count);

// Runs the bootstrap of the group in ctx (its estimation steps have run;
// nothing of ctx changes) and returns its intervals, or nothing when
// progress asked to stop. group is the group's index among the run's
// groups; progress is called with the share of this group's replicates done.
// Throws std::bad_alloc when memory runs out.
std::optional<TGroupIntervals> BootstrapGroup(const TAnova1Way& ctx,
                                              const TAnalysisSettings& settings,
                                              const TBootstrapOptions& options, std::int32_t group,
                                              const std::function<bool(double)>& progress);

// The intervals of replicate figures, as BootstrapGroup makes them (for
// checks against replicates computed another way).
TGroupIntervals SummariseReplicates(const std::vector<TReplicateFigures>& figures,
                                    std::size_t cutOffs, std::int32_t normalizeMethod,
                                    const TBootstrapOptions& options);

} // namespace habitual
