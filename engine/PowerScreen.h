// A screen of the best-power search: the R-square of every power candidate
// computed with a fast exponential instead of the power function, each with
// a bound on how far it can lie from the R-square the search itself computes.
// Only the candidates that could still win are then computed the search's
// way, so the chosen power and its R-square are exactly those of the search
// over all candidates.
//
// Why the winner cannot be missed. Let R_k be the search's R-square of
// candidate k, S_k the screen's, with |S_k - R_k| <= E_k, and let j be the
// candidate with the largest screen value (for the candidates computed the
// search's way, S = R and E = 0). The search's winner w has R_w >= R_j, so
// S_w >= R_w - E_w >= R_j - E_w >= S_j - E_j - E_w. Every candidate with
// S_k + E_k >= S_j - E_j is therefore computed exactly, w among them, and the
// search's rule (the first of the highest, NaN never) applied to those picks w.
//
// The bound E_k (PowerScreen.cpp) adds the change of the R-square under a
// relative change of the values of at most eps (4 eps rho, rho = |t| / |t - mean|)
// to the rounding of the R-square's sums in both computations.
#pragma once

#include <bitset>

#include "engine/Anova1Way.h"

namespace habitual {

struct TPowerScreen {
    // Whether the screen could be taken: every value finite, at least one of
    // them positive, none negative, none so large or small that a power of
    // it leaves the exponential's range, and not all (nearly) equal.
    bool Taken = false;
    double Value[TAnova1Way::Candidates] = {}; // screened R-square; candidates 0 and 2: none
    double Bound[TAnova1Way::Candidates] = {};
};

// Screens the power candidates k = 1 and 3 .. 20 of a group: its n values in
// ascending order (not a number last) and their scores z (zMean their mean).
// Uses scratch[0 .. 2 n).
TPowerScreen ScreenPowers(const double* sorted, const double* z, std::int32_t n, double zMean,
                          double* scratch);

// The candidates that must be computed exactly: those the screen did not
// cover (exact[k]: its R-square as the search computes it), and every screened
// one that could still be the winner by the rule above.
std::bitset<TAnova1Way::Candidates>
CandidatesToCompute(const TPowerScreen& screen, const double (&exact)[TAnova1Way::Candidates],
                    const std::bitset<TAnova1Way::Candidates>& known);

} // namespace habitual
