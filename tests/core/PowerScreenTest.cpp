// The best-power screen must never change the search's choice: the screened
// search and the search over all candidates with the power function agree to
// the bit, on ordinary groups and on groups built to make candidates tie.
#include <algorithm>
#include <bitset>
#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

#include "engine/FastExp.h"
#include "engine/Ordering.h"
#include "engine/PowerScreen.h"
#include "engine/Transform.h"
#include "tests/support/GroupFixture.h"

using namespace habitual;
using namespace habitual::test;

namespace {

struct TChoice {
    double Power, RSquare;
    int Chosen;
    bool operator==(const TChoice&) const = default;
};

// The search on the values, screened or (without scratch room) over every
// candidate with the power function.
TChoice Search(const std::vector<double>& values, bool screened) {
    TTestGroup ctx;
    FillGroup(ctx, Singles(values));
    if (!screened) {
        std::free(ctx.Scratch);
        ctx.Scratch = nullptr;
    }
    FindBestPower(ctx);
    return {ctx.Power, ctx.RSquare, ctx.ChosenCandidate};
}

// Whether the screen covers the values: sorted, with their scores.
bool Screened(std::vector<double> values) {
    std::sort(values.begin(), values.end(), LessNanLast);
    const auto n = static_cast<std::int32_t>(values.size());
    std::vector<double> z(values.size()), room(2 * values.size());
    double sz = 0;
    for (std::int32_t i = 0; i < n; ++i) sz += z[static_cast<std::size_t>(i)] = BlomScore(i, n);
    return ScreenPowers(values.data(), z.data(), n, sz / n, room.data()).Taken;
}

// A small generator of our own, so that the groups are the same everywhere.
struct TRandom {
    std::uint64_t State;
    double Uniform() {
        State = State * 6364136223846793005u + 1442695040888963407u;
        return static_cast<double>(State >> 11) * 0x1p-53;
    }
    double Normal() { // Box-Muller
        const double u = Uniform(), v = Uniform();
        return std::sqrt(-2 * std::log(1 - u)) * std::cos(6.283185307179586 * v);
    }
};

double SearchRSquareOf(const std::vector<double>& values, int k) {
    TTestGroup ctx;
    FillGroup(ctx, Singles(values));
    std::free(ctx.Scratch);
    ctx.Scratch = nullptr;
    FindBestPower(ctx);
    return ctx.CandidateRSquare[k];
}

} // namespace

TEST(FastExp, StaysWithinItsErrorBound) {
    TRandom random{12345};
    double worst = 0;
    for (int i = 0; i < 200000; ++i) {
        const double x = (random.Uniform() * 2 - 1) * 700;
        const double want = std::exp(x);
        worst = std::fmax(worst, std::fabs(FastExp(x) - want) / want);
    }
    // exp itself may be off by a unit in the last place.
    EXPECT_LT(worst, FastExpError - 0x1p-52);
    EXPECT_EQ(FastExp(0), 1.0);
}

TEST(PowerScreen, ChoosesAsTheSearchOverAllCandidates) {
    TRandom random{7};
    int screened = 0;
    for (int round = 0; round < 400; ++round) {
        const int n = 2 + static_cast<int>(random.Uniform() * (round % 4 == 0 ? 3000 : 60));
        std::vector<double> values(static_cast<std::size_t>(n));
        const double sigma = 0.05 + random.Uniform() * 1.5;
        const double level = std::exp(random.Normal() * 5);
        for (double& v : values) {
            switch (round % 5) {
            case 0:
                v = level * std::exp(sigma * random.Normal());
                break; // log-normal
            case 1:
                v = level * (1 + 0.3 * random.Normal());
                break; // near-normal
            case 2:
                v = random.Uniform() < 0.2 ? 0 : level * random.Uniform();
                break; // zeros
            case 3:
                v = std::floor(random.Uniform() * 5) * level;
                break; // few values
            default:
                v = level * std::pow(random.Uniform(), 3 + 4 * sigma);
                break; // skewed
            }
        }
        SCOPED_TRACE("round " + std::to_string(round));
        EXPECT_EQ(Search(values, true), Search(values, false));
        if (Screened(values)) ++screened;
    }
    EXPECT_GT(screened, 300) << "the screen must cover most groups to be tested here";
}

// Groups of two distinct values: every transformation is affine on them, so
// all candidates have the same R-square but for rounding, the hardest case
// for a screen. And values whose spread is too small for one.
TEST(PowerScreen, TiesAndNearTiesGiveTheSearchsChoice) {
    for (const auto& values : std::vector<std::vector<double>>{
             {1, 2}, {3, 3, 7, 7, 7}, {0, 5, 5, 0, 5}, {1e-3, 1e3, 1e3}, {100, 100 + 1e-9, 100}}) {
        EXPECT_EQ(Search(values, true), Search(values, false));
    }

    // Two candidates whose R-squares cross as one value moves: bisect to
    // where they differ by a few rounding errors, and search there.
    TRandom random{99};
    std::vector<double> values(200);
    for (double& v : values) v = std::exp(0.6 * random.Normal()) * 50;
    int crossings = 0;
    for (int pair = 3; pair <= 12; ++pair) {
        auto gap = [&](double top) {
            std::vector<double> v = values;
            v.back() = top;
            return SearchRSquareOf(v, pair) - SearchRSquareOf(v, pair + 1);
        };
        double lo = 1, hi = 5000;
        if ((gap(lo) > 0) == (gap(hi) > 0)) continue; // no crossing in this range
        ++crossings;
        for (int step = 0; step < 80; ++step) {
            const double mid = 0.5 * (lo + hi);
            ((gap(mid) > 0) == (gap(lo) > 0) ? lo : hi) = mid;
        }
        for (double top : {lo, hi}) {
            std::vector<double> v = values;
            v.back() = top;
            SCOPED_TRACE("candidates " + std::to_string(pair) + " and " + std::to_string(pair + 1));
            EXPECT_EQ(Search(v, true), Search(v, false));
        }
    }
    EXPECT_GE(crossings, 3) << "the group was meant to make candidates cross";
}

// The rule that picks what to compute exactly, on made-up screen values.
TEST(PowerScreen, ComputesEveryCandidateThatCouldStillWin) {
    TPowerScreen screen;
    screen.Taken = true;
    for (int k = 0; k < TAnova1Way::Candidates; ++k) {
        screen.Value[k] = 0.5;
        screen.Bound[k] = 1e-10;
    }
    screen.Value[5] = 0.9;
    screen.Value[6] = 0.9 - 1.5e-10; // within both bounds of the best
    screen.Value[7] = 0.9 - 3e-10;   // beyond them
    screen.Value[8] = std::numeric_limits<double>::quiet_NaN();
    double exact[TAnova1Way::Candidates] = {};
    exact[0] = 0.8;
    exact[2] = std::numeric_limits<double>::quiet_NaN();
    const std::bitset<TAnova1Way::Candidates> known((1u << 0) | (1u << 2));
    const auto compute = CandidatesToCompute(screen, exact, known);
    EXPECT_TRUE(compute[5]);
    EXPECT_TRUE(compute[6]);
    EXPECT_FALSE(compute[7]);
    EXPECT_TRUE(compute[8]) << "a screened value that is no number tells nothing";
    EXPECT_FALSE(compute[0] || compute[2] || compute[1]);

    // An exact value above every screened one: only those within reach of it.
    exact[0] = 0.9 + 0.5e-10;
    const auto against = CandidatesToCompute(screen, exact, known);
    EXPECT_TRUE(against[5]);
    EXPECT_FALSE(against[6]);

    screen.Taken = false;
    EXPECT_EQ(CandidatesToCompute(screen, exact, known).count(),
              static_cast<std::size_t>(TAnova1Way::Candidates));
}
