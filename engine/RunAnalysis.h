// One analysis run over a survey file: rows to records, records to groups,
// each group's heading lines, and the per-group analysis of each group of
// two or more records.
#pragma once

#include <cstdint>
#include <string>

#include "engine/Anova1Way.h"
#include "engine/ResultLines.h"
#include "engine/Settings.h"

namespace habitual {

// Why a run was rejected before it wrote anything.
enum class TRunError {
    None,
    CannotOpen,      // the survey file cannot be opened or read
    ReadFailed,      // reading stopped at an error of the device
    NoRows,          // the file has no row at all (no header row)
    KeyTooLong,      // a person or classification key over 255 bytes
    SeparatorInText, // a key text holding the byte 0x01
    OutOfMemory,     // the arrays or keys could not be had
};

struct TRunStatus {
    TRunError Error = TRunError::None;
    std::int32_t RowNo = 0; // data row (from 1) of a key problem
    bool PersonKey = true;  // which key, for key problems
    bool Ok() const { return Error == TRunError::None; }
};

// The user's message for a rejected run, in UTF-8, naming the file, the row
// and the limit where they matter, and what to do.
std::string RunErrorMessage(const TRunStatus& status, const std::string& fileName);

using TGroupAnalysis = void (*)(TAnova1Way& ctx, const TAnalysisSettings& settings,
                                TResultLines& lines);

// Performs one run. Appends the heading lines of every group to lines and
// calls analyseGroup for each group of two or more records. A rejected run
// appends nothing.
TRunStatus RunAnalysis(const TAnalysisSettings& settings, TResultLines& lines,
                       TGroupAnalysis analyseGroup);

// Part n (from 1) of a key whose parts are separated by 0x01; the empty text
// when the key has no such part. Valid until the next call.
const char* KeyPart(std::string_view key, int n);

} // namespace habitual
