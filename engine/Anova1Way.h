// The analysis context of one group: a workspace holding the group's records,
// its persons, room for sorting them, and every result of the group's
// analysis. A run fills one workspace after another with its groups (the
// run's data, every data row and the key bytes, live in TRunData); several
// workspaces may exist at once, each used by one caller at a time.
//
// Two scales meet here. The analysis scale is that of the values after the
// normalising transformation (Transformed), on which the variance components
// and person means are computed; the intake scale is that of the survey file
// (Value, Habitual, the percentiles).
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/KeyArena.h"
#include "engine/Records.h"
#include "engine/Settings.h"
#include "engine/StageTimes.h"

namespace habitual {

class TAnova1Way {
public:
    // The best-power search tries the log and 20 powers.
    static constexpr int Candidates = 21;

    TAnova1Way() = default;
    ~TAnova1Way();
    TAnova1Way(const TAnova1Way&) = delete;
    TAnova1Way& operator=(const TAnova1Way&) = delete;

    // Sizes the arrays (records, persons and the sort room) for n entries
    // each; keeps them and their contents when n equals NAll. Returns false
    // (and leaves no arrays) when memory cannot be had.
    bool Allocate(std::int32_t n);

    // The bytes of a key of the records; Keys must be set.
    std::string_view KeyText(TKey key) const { return Keys->Text(key); }

    std::int32_t NAll = 0;    // entries of each array
    std::int32_t NData = 0;   // records of the group: Records[0 .. NData)
    std::int32_t NPerson = 0; // persons of the group: Persons[0 .. NPerson)

    // Set by Anova; analysis scale.
    double SSTotal = 0, SSModel = 0, SSError = 0;
    double MeanDays = 0; // mean days of the persons with two or more; 1 when none
    double VB = 0, VW = 0, SDB = 0, SDW = 0;
    double Mean = 0, SD = 0, Var = 0; // of Transformed; Var with divisor N - 1
    std::int32_t N = 0, NPersonAll = 0, MinDays = 0, MaxDays = 0, NMultiDay = 0;
    std::int32_t DFModel = 0, DFError = 0, DFTotal = 0;

    // Set by ComputePercentiles; intake scale. Entry p is the p-th percentile.
    double PctDaily[101] = {};
    double PctHabit[101] = {};

    TGroupRecord* Records = nullptr;
    TPersonRecord* Persons = nullptr;
    // Room the sorts of Records and of Persons (which are never more, and
    // smaller) move entries into, one sort at a time.
    TGroupRecord* SortRoomRecords = nullptr;
    // Room for ScratchPerRecord values per record that a step keeps for
    // itself while it works (the best-power search: the sorted values, their
    // scores, and a candidate's values or the screen's).
    static constexpr int ScratchPerRecord = 4;
    double* Scratch = nullptr;

    // Copied from the settings at the start of each group's analysis.
    std::int32_t NormalizeMethod = Normalize::BestPower;
    double VWBRatioSpec = 0; // absolute value of VWBRatioText
    double VWSpec = 0;       // absolute value of VWText

    // The transformation in use: set by Transform (best power) and
    // EstimateHabitual (given power); a method that does not set a field
    // leaves it as the previous group left it.
    double Power = 0;     // 0 means the log
    double RSquare = 0;   // R-square of the best power
    double LogOffset = 0; // added before the log: half the smallest non-zero value when a 0 occurs
    // The best-power search: the R-square of each candidate in the order
    // tried (not a number where a candidate has none; for a candidate the
    // screen showed could not win, the screened value, within its bound of
    // the exact one), and the index of the one chosen (-1 when none
    // straightened anything).
    double CandidateRSquare[Candidates] = {};
    int ChosenCandidate = -1;

    // The run's key bytes, which PersonKey of the records names.
    const TKeyArena* Keys = nullptr;
    // Where the steps add their times, if anywhere (not owned).
    TStageTimes* Times = nullptr;

private:
    void Release();
};

} // namespace habitual
