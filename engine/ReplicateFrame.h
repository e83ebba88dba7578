// A group arranged once for its bootstrap replicates, and the figures of one
// replicate.
//
// A replicate draws the group's persons with replacement, as many draws as
// the group has persons; a person drawn twice counts as two persons. Its
// figures are what a plain run of the resampled group reports: the whole
// estimation (transformation, with the best power chosen anew; variance
// components; shrinkage; back-transformation; distribution summaries) with
// the user's choices kept.
//
// Estimate takes the fast path for groups of finite intakes of 0 or more:
// the values are sorted once, every candidate transformation is applied once
// to the distinct values and summed once per person, and a replicate is a few
// weighted passes over these sums with each person's number of draws. It
// gives the plain run's figures up to rounding in the last digits (sums are
// added in another order). EstimateNaive copies the drawn persons' records
// into a workspace and runs EstimateGroup on it: the reference the fast path
// is tested against, and the path of groups with negative or infinite values.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "engine/Anova1Way.h"
#include "engine/CutOffs.h"
#include "engine/Settings.h"

namespace habitual {

// Where each figure stands in TReplicateFigures::Daily and Habit: entries
// 0 .. 100 the percentiles, then the mean, the standard deviation, and one
// share per cut-off (in percent, below the limit or at and above it, as the
// report gives it).
namespace Figure {
inline constexpr int Mean = 101;
inline constexpr int SD = 102;
inline constexpr int FirstShare = 103;
} // namespace Figure

inline int FigureCount(std::size_t cutOffs) {
    return Figure::FirstShare + static_cast<int>(cutOffs);
}

struct TReplicateFigures {
    std::vector<double> Daily, Habit; // FigureCount entries; Habit NaN when not shown
    bool HabitualShown = false;       // both variance components positive
    int ChosenCandidate = -1;         // best power: the candidate chosen, -1 for none
};

// The figures of a group whose estimation steps have run in ctx.
void CaptureFigures(const TAnova1Way& ctx, const std::vector<TCutOff>& cuts,
                    TReplicateFigures& out);

// Room one thread needs for its replicates; reused from one to the next.
struct TReplicateScratch {
    TReplicateScratch();
    ~TReplicateScratch();
    TReplicateScratch(const TReplicateScratch&) = delete;
    TReplicateScratch& operator=(const TReplicateScratch&) = delete;

    // The Blom scores of the last number of values asked for, as running
    // sums (entry i the sum of the first i, in two parts whose sum carries
    // twice the digits of a double), their mean and their sum of squares
    // about it.
    std::int64_t ScoresFor = -1;
    std::vector<double> Scores, ScoresBefore, ScoresBeforeLow;
    std::vector<double> LogPlace; // ln(j + 0.625) of the places j below the middle
    double ScoreMean = 0, ScoreSS = 0;
    // Per distinct value: the number of drawn values equal to it and the sum
    // of their scores; per record in the order of values, the draws before it.
    std::vector<std::int64_t> Weight, DrawsBefore;
    std::vector<double> ScoreSum;
    std::int32_t DrawnLow = -1, DrawnHigh = -1; // the smallest and largest distinct value drawn
    std::vector<std::int32_t> Drawn;            // the persons drawn at least once
    // The log candidate for an offset other than the group's own.
    double LogOffset = 0;
    bool LogValid = false;
    std::vector<double> LogValues, LogSums;
    std::vector<std::uint8_t> LogConstant;
    // The drawn persons in the order of their shrunk means.
    struct TShrunk {
        double Mean;
        std::int32_t Count;
    };
    std::vector<TShrunk> Shrunk, Pending;
    struct TClass {
        std::size_t At, End;
    };
    std::vector<TClass> Classes; // of Pending: the drawn persons of each number of days
    std::vector<double> Habitual;
    std::vector<double> Factor; // shrinkage factor by number of days
    // The workspace of the plain estimation, made when first needed.
    std::unique_ptr<TAnova1Way> Workspace;
};

class TReplicateFrame {
public:
    // Arranges the group held in Records[0 .. NData) of ctx, in any order
    // (PersonKey, PersonPrefix, Draw, RowNo and Value are read), for the
    // estimation the settings ask for. The run's keys must outlive the frame.
    // Throws std::bad_alloc when memory runs out.
    void Prepare(const TAnova1Way& ctx, const TAnalysisSettings& settings);

    // The group's persons, in the order of Anova (key, then draw).
    std::int32_t NPerson() const { return static_cast<std::int32_t>(NDays.size()); }
    const std::vector<TCutOff>& CutOffs() const { return Cuts; }
    // Whether Estimate takes the fast path.
    bool Fast() const { return IsFast; }

    // The figures of the replicate in which person p is drawn count[p] times
    // (the counts add up to NPerson()).
    void Estimate(const std::int32_t* count, TReplicateScratch& scratch,
                  TReplicateFigures& out) const;
    // The same by the plain estimation of the resampled group.
    void EstimateNaive(const std::int32_t* count, TReplicateScratch& scratch,
                       TReplicateFigures& out) const;

private:
    // A transformation the estimation may apply: the log of the value plus
    // an offset, the value itself, or a power of it.
    struct TColumn {
        enum { Log, Identity, Power } Kind;
        double Exponent = 1;
        double Apply(double v, double logOffset) const;
    };

    void PreparePersons(const TAnova1Way& ctx);
    void PrepareValues();
    void PrepareColumns();
    // Column k for the log offset of a replicate: the transformed distinct
    // values; per person the sum and the sum of squares of its transformed
    // values less Shift[k], and whether they are all equal.
    struct TColumnView {
        const double* Values; // distinct value d at Values[d * Stride]
        std::size_t Stride;
        const double* Sums; // person p: Sums[p * SumStride], squares at + SquareAt
        std::size_t SumStride;
        std::size_t SquareAt;
        const std::uint8_t* Constant; // person p at Constant[p * ConstantStride]
        std::size_t ConstantStride;
        bool OfFrame; // the frame's own column, not one made for a replicate's log offset
    };
    TColumnView View(int k, double logOffset, TReplicateScratch& scratch) const;
    // The persons in the order of their number of days, then of their mean
    // on column k (not a number last), with the range of each number of
    // days; made when first asked for, by whichever thread asks.
    struct TPersonOrder {
        std::vector<std::int32_t> Persons;
        std::vector<double> Means; // of the persons in this order: sum / days
        std::vector<std::pair<std::int32_t, std::int32_t>> Classes;
    };
    const TPersonOrder& OrderOf(int k) const;
    void DrawnWeights(const std::int32_t* count, TReplicateScratch& scratch) const;
    void BlomScores(std::int64_t n, TReplicateScratch& scratch) const;
    int ChooseCandidate(std::int64_t n, double logOffset, TReplicateScratch& scratch) const;

    TAnalysisSettings Settings;
    std::vector<TCutOff> Cuts;
    // The numbers of PowerText, VWText and VWBRatioText, as the estimation
    // steps read them.
    double GivenPower = 0, GivenWithin = 0, GivenRatio = 0;
    bool IsFast = false;
    const TKeyArena* Keys = nullptr;

    // Persons: their records in the order of Anova and their days.
    std::vector<TGroupRecord> PersonRecords;
    std::vector<std::int32_t> PersonStart; // NPerson() + 1 entries
    std::vector<std::int32_t> NDays;
    std::int32_t MostDays = 0;

    // Fast path. The distinct values ascending, and the persons of the
    // records in that order: distinct value d has the records
    // [DistinctStart[d], DistinctStart[d + 1]) of ValuePersons.
    std::vector<double> Values;
    std::vector<std::int32_t> DistinctStart, ValuePersons;
    // Per person: its smallest and largest value (as distinct indices),
    // whether it has a 0, and its smallest value that is not 0 (infinity
    // without one), for the log offset of a replicate.
    std::vector<std::int32_t> PersonLow, PersonHigh;
    std::vector<std::uint8_t> PersonHasZero;
    std::vector<double> PersonLeastNonZero;
    double GroupLogOffset = 0;
    // The columns of the estimation: under the best power the log and the 20
    // powers in the order tried, else the one transformation in use.
    std::vector<TColumn> Columns;
    std::vector<double> Shift;          // per column: its mean over the group (0 if not finite)
    std::vector<double> Transformed;    // distinct value d, column k: [d * K + k]
    std::vector<double> Sums;           // column k, person p: sum [(k * P + p) * 2], squares at + 1
    std::vector<std::uint8_t> Constant; // column k, person p: [k * P + p]
    mutable std::vector<std::unique_ptr<TPersonOrder>> Orders;
    mutable std::unique_ptr<std::once_flag[]> OrderOnce;
};

} // namespace habitual
