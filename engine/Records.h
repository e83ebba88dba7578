// The record types of a run: one data row, one record of the group being
// analysed, one person of that group. They are trivial types on purpose: the
// record arrays are made without setting their entries, which are all
// written before they are read.
#pragma once

#include <cstdint>

#include "engine/KeyArena.h"

namespace habitual {

// One data row of the survey file, in the run's data (TRunData).
struct TIntakeRecord {
    TKey PersonKey;                // ID column texts joined by 0x01
    std::uint64_t PersonPrefix[2]; // KeyPrefix of PersonKey at 0 and 8
    std::int32_t RowNo;            // data row number, from 1
    std::int32_t ClassNo;          // which of the run's distinct classification keys
    double Value;                  // analysis column, intake scale (units of the survey file)
};

// One record of the group being analysed, in a group workspace (TAnova1Way).
// A person is a run of records with equal PersonKey and equal Draw.
struct TGroupRecord {
    TKey PersonKey;
    std::uint64_t PersonPrefix[2]; // KeyPrefix of PersonKey at 0 and 8, for a quick order
    std::int32_t RowNo;
    // Which draw of the person the record belongs to when persons are drawn
    // with replacement (a person drawn twice is two persons); 0 otherwise.
    std::int32_t Draw;
    double Value;       // intake scale
    double Transformed; // analysis scale: after the normalising transformation
};

// One person of the group being analysed.
struct TPersonRecord {
    TKey PersonKey;
    std::int32_t RowNo; // RowNo of the person's first record
    std::int32_t NDays; // records of the person in the group
    double PersonMean;  // mean of Transformed, analysis scale
    double ShrunkMean;  // PersonMean shrunk towards the group mean, analysis scale
    double Habitual;    // habitual intake, intake scale
};

} // namespace habitual
