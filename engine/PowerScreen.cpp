#include "engine/PowerScreen.h"

#include <cmath>
#include <limits>

#include "engine/Elementary.h"
#include "engine/FastExp.h"

namespace habitual {
namespace {

constexpr double U = 0x1p-53; // unit roundoff of double

// gamma_k = k u / (1 - k u): the relative error bound of a sum of k rounded
// operations (Higham (2002), Accuracy and Stability of Numerical Algorithms,
// section 3.1).
double Gamma(double k) {
    return k * U / (1 - k * U);
}

// Error allowances of the library functions the two computations use, in
// units of u: log and pow are within 8 units in the last place on the
// platforms we build for (glibc documents below 1 for both), and a unit in the
// last place is at most 2u relative.
constexpr double LogError = 16, PowError = 16;

// Values beyond these keep every power x^p, 0.1 <= p <= 2, and p ln x well
// inside the range of FastExp and of normal doubles.
constexpr double Smallest = 1e-150, Largest = 1e150;

} // namespace

namespace {

// Two sums in one pass over the values, each in four parts, which the
// compiler can keep in vector registers; the rounding bound below holds for
// any order of summation.
template <class TermA, class TermB>
void SumsOf(std::int32_t from, std::int32_t to, TermA a, TermB b, double& sumA, double& sumB) {
    double partA[4] = {0, 0, 0, 0}, partB[4] = {0, 0, 0, 0};
    std::int32_t i = from;
    for (; i + 4 <= to; i += 4)
        for (int j = 0; j < 4; ++j) {
            partA[j] += a(i + j);
            partB[j] += b(i + j);
        }
    for (; i < to; ++i) {
        partA[0] += a(i);
        partB[0] += b(i);
    }
    sumA = (partA[0] + partA[1]) + (partA[2] + partA[3]);
    sumB = (partB[0] + partB[1]) + (partB[2] + partB[3]);
}

} // namespace

TPowerScreen ScreenPowers(const double* sorted, const double* z, std::int32_t n, double zMean,
                          double* scratch) {
    TPowerScreen screen;
    // Sorted with NaN last: the ends tell the range. A comparison with NaN
    // fails, so a value that is not a number stops the screen.
    const double lo = sorted[0], hi = sorted[n - 1];
    if (!(lo >= 0) || !(hi > 0) || !(hi <= Largest)) return screen;
    // Values this close may round to one transformed value under one power
    // function and not under the other, which decides whether an R-square
    // exists at all.
    if (!(hi - lo >= 1e-6 * hi)) return screen;
    std::int32_t zeros = 0;
    while (sorted[zeros] == 0) ++zeros;
    if (!(sorted[zeros] >= Smallest)) return screen;

    // ln x and a candidate's values, each in an array of its own.
    double* logs = scratch;
    double* t = scratch + n;
    double maxLog = 0;
    for (std::int32_t i = 0; i < n; ++i) t[i] = 0;
    for (std::int32_t i = zeros; i < n; ++i) {
        logs[i] = Log(sorted[i]);
        maxLog = std::fmax(maxLog, std::fabs(logs[i]));
    }
    double sz2 = 0, szz = 0;
    SumsOf(
        0, n, [z](std::int32_t i) { return z[i] * z[i]; },
        [z, zMean](std::int32_t i) {
            const double d = z[i] - zMean;
            return d * d;
        },
        sz2, szz);
    if (!(szz > 0)) return screen;
    const double rhoZ = 1.01 * std::sqrt(sz2 / szz);

    const double gamma = Gamma(n + 2.0), gammaN = Gamma(n);
    for (int k = 1; k < TAnova1Way::Candidates; ++k) {
        if (k == 2) continue; // x^1 is x itself: the search takes it as it is
        const double p = 1.0 / (0.5 * k);
        // The values, then two passes for the four sums instead of one each.
        for (std::int32_t i = zeros; i < n; ++i) t[i] = FastExp(p * logs[i]);
        double st = 0, st2 = 0;
        SumsOf(
            zeros, n, [t](std::int32_t i) { return t[i]; },
            [t](std::int32_t i) { return t[i] * t[i]; }, st, st2);
        const double tMean = st / n;
        double stt = 0, stz = 0;
        SumsOf(
            0, n,
            [t, tMean](std::int32_t i) {
                const double d = t[i] - tMean;
                return d * d;
            },
            [t, z, tMean, zMean](std::int32_t i) { return (t[i] - tMean) * (z[i] - zMean); }, stt,
            stz);
        if (!(stt > 0)) return screen;

        // Relative difference of the screened values from the power
        // function's: the error of ln x carried through p ln x, FastExp's
        // own, and the power function's.
        const double eps = (LogError + 1) * U * p * maxLog + FastExpError + PowError * U;
        // rho = |t| / |t - mean|, of the exact values as of these up to a
        // factor 1 + O(eps rho), which 1% covers while eps rho stays tiny.
        const double rho = 1.01 * std::sqrt(st2 / stt);
        if (!(eps * rho < 1e-6)) return screen;
        // The change of the R-square when the values change by eps relatively
        // at most: the cosine of the centred values with the centred scores
        // moves by at most 2 |d| / |t - mean| <= 2 eps rho, its square by
        // twice that.
        const double perturbation = 4 * eps * rho;
        // Rounding in each computation of the R-square: the sums of squares
        // and products (gamma_{n+2} each, in any order of summation; the cross
        // products relative to |t - mean| |z - mean| by Cauchy-Schwarz), the
        // final quotient (3u), and the means' own errors, which enter to
        // second order. Doubled for the terms of higher order left out.
        const double rounding =
            2 * (4 * gamma + 3 * U + gammaN * gammaN * (rho + rhoZ) * (rho + rhoZ));
        screen.Value[k] = stz * stz / (stt * szz);
        screen.Bound[k] = perturbation + 2 * rounding;
    }
    screen.Taken = true;
    return screen;
}

std::bitset<TAnova1Way::Candidates>
CandidatesToCompute(const TPowerScreen& screen, const double (&exact)[TAnova1Way::Candidates],
                    const std::bitset<TAnova1Way::Candidates>& known) {
    std::bitset<TAnova1Way::Candidates> compute;
    if (!screen.Taken) return compute.set();
    // The best screen value, with its bound (0 for one computed exactly).
    double best = -std::numeric_limits<double>::infinity(), bestBound = 0;
    for (int k = 0; k < TAnova1Way::Candidates; ++k) {
        const double value = known[k] ? exact[k] : screen.Value[k];
        if (std::isnan(value)) continue;
        if (value > best) {
            best = value;
            bestBound = known[k] ? 0 : screen.Bound[k];
        }
    }
    for (int k = 0; k < TAnova1Way::Candidates; ++k) {
        if (known[k]) continue;
        const double value = screen.Value[k];
        // A screened value that is not a number tells nothing: compute it.
        if (std::isnan(value) || !(value + screen.Bound[k] < best - bestBound)) compute.set(k);
    }
    return compute;
}

} // namespace habitual
