// Notices that tell the user when a group's data can hardly support the
// method: too few persons, too few persons with repeated days, many days
// without intake, negative values, a transformation that leaves the values
// far from normal, and a bootstrap with many failed replicates. Advice
// beside the results, not errors: the results are computed all the same.
#pragma once

#include <vector>

#include "engine/Anova1Way.h"
#include "engine/GroupIntervals.h"
#include "engine/Notice.h"
#include "engine/Settings.h"

namespace habitual {

// The thresholds, each with its source (cited in the user guide as well).
namespace Reliability {
// Distributions from fewer than about 50 to 60 persons are unreliable:
// Institute of Medicine (2000), Dietary Reference Intakes: Applications in
// Dietary Assessment, National Academy Press, p. 99.
inline constexpr int MinPersons = 50;
// At least 30 to 40 persons surveyed on two or more days (same source); the
// NCI method warns below 10 such persons and stops below 2 (the MIXTRAN
// macro of the National Cancer Institute, version 2.21).
inline constexpr int MinRepeaters = 30;
inline constexpr int FewRepeaters = 10;
// More than 10 % of days without intake call for a model of episodic
// consumption: the amount-only model assumes a food or nutrient eaten nearly
// every day by nearly everyone (NCI usual-intake method), and an analysis of
// the Canadian CCHS 2015 with the NCI methods takes 10 % zero days as the
// cut-off for an episodic model (Brassard, hefi2019 examples).
inline constexpr double MaxZeroShare = 0.10;
// Bootstrap: more than 5 % failed replicates, fewer than 200 usable ones
// (200 is the least number of replicates the NCI and SPADE guidance asks for).
inline constexpr double MaxFailedShare = 0.05;
inline constexpr int MinUsableReplicates = 200;
} // namespace Reliability

// The notices about the group whose estimation steps have run in ctx (their
// Group is left empty), in this order: persons, repeaters, zeros, negative
// values, the normal plot, then the bootstrap when intervals are given.
std::vector<TNotice> GroupNotices(const TAnova1Way& ctx, const TAnalysisSettings& settings,
                                  const TGroupIntervals* intervals);

} // namespace habitual
