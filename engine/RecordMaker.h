// Makes the records of a run from the survey's data rows: a record per row
// with its keys and its value in each analysis column, and what the rows
// tell of the columns and the classification keys. A long survey is read in
// two parts at once, each by its own maker into its own stretch of the
// records; the later part is then joined to the earlier, so that the result
// is what one maker reading the whole file would have made.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/KeyArena.h"
#include "engine/Records.h"
#include "engine/RowTally.h"
#include "engine/Settings.h"

namespace habitual {

class TCsvFile;
struct TRunStatus;

// How every part of a survey is read.
struct TRecordRules {
    const TAnalysisSettings* Settings = nullptr; // its IdColumns and ClassColumns
    std::vector<std::int32_t> Columns;           // the analysis columns (zero-based)
    int FieldsNeeded = 1;                        // the leading fields a row is split into
    bool SkipMissing = false;                    // note each row whose field is not a number
    bool CheckNumbers = false;                   // note whether each column holds only numbers
};

class TRecordMaker {
public:
    // Makes at most capacity records at records, and with several columns
    // their values at values ([i * K + k]).
    TRecordMaker(const TRecordRules& rules, TIntakeRecord* records, double* values,
                 std::int32_t capacity);

    // Reads reader's rows to the end of its data. The data rows are those up
    // to the last one that counts (as CountRows counts them): the rows that
    // do not count are made records only once one that counts follows them.
    // Row numbers, in records and in the status, are from 1 for the first
    // row this maker read.
    TRunStatus ReadRows(TCsvFile& reader);

    // Takes in the records of the maker that read the rows right after this
    // one's, whose records lie behind this one's stretch in the same arrays:
    // they move up behind this one's, their row numbers, keys and class
    // numbers made this maker's.
    TRunStatus Join(TRecordMaker& later);

    std::int32_t Taken = 0; // records made: rows 1 .. Taken
    std::int32_t Held = 0;  // rows after them that do not count, not made records (yet)
    TKeyArena Keys;         // the bytes of every key
    // The distinct classification keys, numbered as first met, and their records.
    std::vector<TKey> ClassKeys;
    std::vector<std::int32_t> ClassSizes;
    // Per column: the rows whose field is not a number, by class number; the
    // same by row (from 0, only with SkipMissing; empty when there is none);
    // whether every field is a number or blank, and whether some is a number.
    std::vector<std::vector<TRowTally>> ClassMissing;
    std::vector<std::vector<std::uint8_t>> NotNumberRows;
    std::vector<std::uint8_t> AllNumbers;
    std::vector<std::uint8_t> AnyNumber;
    // Where set, ReadRows stops early once it is true (its rows are then not
    // wanted).
    const std::atomic<bool>* Stop = nullptr;

private:
    TRunStatus Take(const char* const* fields, int nFields);
    // The number of a classification key; a key not met before gets the next
    // one, its bytes added to Keys unless stored names them there already.
    std::int32_t ClassNumber(std::string_view key, std::optional<TKey> stored = {});

    const TRecordRules& Rules;
    TIntakeRecord* Records;
    double* Values;
    std::int32_t Capacity;
    std::string PersonKey, ClassKey; // the current row's, joined

    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>{}(s);
        }
    };
    std::unordered_map<std::string, std::int32_t, TextHash, std::equal_to<>> ClassNos;
};

} // namespace habitual
