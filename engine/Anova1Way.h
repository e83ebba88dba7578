// The records of a run and the analysis context that owns them.
#pragma once

#include <cstdint>
#include <string_view>

#include "engine/KeyArena.h"

namespace habitual {

// One data row of the survey file.
struct TIntakeRecord {
    TKey PersonKey;                // ID column texts joined by 0x01
    std::uint64_t PersonPrefix[2]; // KeyPrefix of PersonKey at 0 and 8
    TKey ClassKey;                 // classification column texts joined by 0x01
    std::int32_t RowNo;            // data row number, from 1
    std::int32_t ClassNo;          // index of ClassKey among the run's distinct keys
    double Value;                  // analysis column, units of the survey file
};

// One record of the current group.
struct TGroupRecord {
    TKey PersonKey;
    std::uint64_t PersonPrefix[2]; // KeyPrefix of PersonKey at 0 and 8, for a quick order
    std::int32_t RowNo;
    double Value;
    double Transformed; // after the normalising transformation
    double NormalScore; // normal score of the record's rank (best-power search)
};

// One person of the current group.
struct TPersonRecord {
    TKey PersonKey;
    std::int32_t RowNo; // RowNo of the person's first record
    std::int32_t NDays; // records of the person in the group
    double PersonMean;  // mean of Transformed
    double ShrunkMean;  // PersonMean shrunk towards the group mean
    double Habitual;    // habitual intake, units of the survey file
};

class TAnova1Way {
public:
    TAnova1Way() = default;
    ~TAnova1Way();
    TAnova1Way(const TAnova1Way&) = delete;
    TAnova1Way& operator=(const TAnova1Way&) = delete;

    // Sizes the three arrays for n entries each; keeps them when n equals
    // NAll. Returns false (and leaves no arrays) when memory cannot be had.
    bool Allocate(std::int32_t n);

    std::string_view KeyText(TKey key) const { return Keys.Text(key); }

    std::int32_t NAll = 0;
    std::int32_t NData = 0;
    std::int32_t NPerson = 0;
    double SSTotal = 0, SSModel = 0, SSError = 0;
    double MeanDays = 0;
    double VB = 0, VW = 0, SDB = 0, SDW = 0;
    double Mean = 0, SD = 0, Var = 0;
    std::int32_t N = 0, NPersonAll = 0, MinDays = 0, MaxDays = 0, NMultiDay = 0;
    std::int32_t DFModel = 0, DFError = 0, DFTotal = 0;
    double PctDaily[101] = {};
    double PctHabit[101] = {};
    TGroupRecord* Records = nullptr;
    TPersonRecord* Persons = nullptr;
    TIntakeRecord* AllRecords = nullptr;
    // Room the sorts of Records and Persons move entries into.
    TGroupRecord* SortRoomRecords = nullptr;
    TPersonRecord* SortRoomPersons = nullptr;
    std::int32_t NormalizeMethod = 0;
    double Power = 0;
    double RSquare = 0;
    double LogOffset = 0;
    double VWBRatioSpec = 0;
    double VWSpec = 0;

    // The bytes of every key of the run.
    TKeyArena Keys;

private:
    void Release();
};

} // namespace habitual
