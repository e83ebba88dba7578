// The data of one run: every data row of the survey file as a record, the
// bytes of every key, and the groups the records fall into. Read once per
// run; the group workspaces (TAnova1Way) are filled from it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/CutOffTable.h"
#include "engine/KeyArena.h"
#include "engine/Records.h"
#include "engine/RowTally.h"
#include "engine/Settings.h"
#include "engine/StageTimes.h"
#include "engine/SurveyInput.h"

namespace habitual {

class TAnova1Way;

// Why a run was rejected before it wrote anything.
enum class TRunError {
    None,
    CannotOpen,      // the survey file cannot be opened or read
    ReadFailed,      // reading stopped at an error of the device
    NoRows,          // the file has no row at all (no header row)
    KeyTooLong,      // a person or classification key over 255 bytes
    SeparatorInText, // a key text holding the byte 0x01
    OutOfMemory,     // the arrays or keys could not be had
    Cancelled,       // the caller stopped the run
    Input,           // the file cannot be read as a survey: Input says why
    NoNumericColumn, // every column was asked for, and none holds only numbers
    CutOffTable,     // the cut-off table does not fit the run: CutOffs says why
};

struct TRunStatus {
    TRunStatus() = default;
    TRunStatus(TRunError error, std::int32_t rowNo = 0, bool personKey = true)
        : Error(error), RowNo(rowNo), PersonKey(personKey) {}
    TRunError Error = TRunError::None;
    std::int32_t RowNo = 0; // data row (from 1) of a key problem
    bool PersonKey = true;  // which key, for key problems
    TInputProblem Input;    // for TRunError::Input
    TCutOffProblem CutOffs; // for TRunError::CutOffTable
    bool Ok() const { return Error == TRunError::None; }
};

// The status of a run that could not open its survey.
TRunStatus InputStatus(const TInputProblem& problem);

// The analysis fields of one classification key that were empty or not
// numbers, by data row.
struct TNotNumbers {
    TKey ClassKey{};
    TRowTally Rows;
};

// The records of one classification key: AllRecords[Begin .. End).
struct TGroupRange {
    std::int32_t Begin = 0, End = 0;
    TKey ClassKey{};
    std::int32_t Size() const { return End - Begin; }
};

// Which columns a run analyses: the settings' NutrientColumn, a list of
// columns, or every column whose data fields are all numbers (or blank)
// but those that identify persons or groups.
struct TColumnChoice {
    std::vector<std::int32_t> List; // zero-based; empty: the settings' NutrientColumn
    bool AllNumeric = false;
};

// One analysis column of a run, with what depends on it.
struct TValueColumn {
    std::int32_t Column = -1; // zero-based position in the file
    std::string Name;         // its header text (<= 127 bytes)
    // Its fields that were empty or not numbers, by classification key in
    // ascending order (keys with any only).
    std::vector<TNotNumbers> Missing;
    // Per record (in class-key order), 1 where the record is left out of
    // this column's groups (its field is not a number and such fields are
    // left out); empty when no record is.
    std::vector<std::uint8_t> LeftOut;
    // Per group of the run, its records in this column.
    std::vector<std::int32_t> GroupSizes;
};

class TRunData {
public:
    TRunData() = default;
    ~TRunData();
    TRunData(const TRunData&) = delete;
    TRunData& operator=(const TRunData&) = delete;

    // Reads the survey file named in the settings, opened by open (a CSV
    // file when it is empty): the header's names and a record per data row
    // with its value in each analysis column, then sorts the records by
    // classification key and finds the groups. A field that is not a number
    // is read as 0, or with input.SkipMissing its record is left out of that
    // column's groups. The keys and groups serve every column. On a refusal
    // nothing of the file is kept.
    TRunStatus Read(const TAnalysisSettings& settings, const TInputOptions& input = {},
                    const TSurveyOpener& open = {}, const TColumnChoice& columns = {});

    // Puts a group's records of analysis column k into a workspace sized for
    // them: PersonKey, PersonPrefix, RowNo and Value, Draw 0, and NData.
    void FillGroup(const TGroupRange& group, TAnova1Way& ctx, std::size_t k = 0) const;
    // The number of records of the largest group in any column.
    std::int32_t LargestGroup() const;
    // The value of record i in analysis column k.
    double ValueOf(std::int32_t i, std::size_t k) const {
        return Values ? Values[static_cast<std::size_t>(i) * K() + k] : AllRecords[i].Value;
    }
    std::size_t K() const { return Columns.size(); }

    std::int32_t NAll = 0;               // records: one per data row of the file
    TIntakeRecord* AllRecords = nullptr; // NAll entries; in class-key order once read
    TKeyArena Keys;                      // the bytes of every key
    std::vector<TGroupRange> Groups;     // in ascending class-key order
    std::vector<TValueColumn> Columns;   // the analysis columns, in the order asked for
    std::string ClassNames[3];           // of the classification columns (<= 63 bytes); "" unused
    TSurveyFormat Format = TSurveyFormat::Cp932;
    TRowTally SkippedWithText;    // lines skipped as blank although they held text
    TStageTimes* Times = nullptr; // where Read adds its stages' times, if anywhere
    std::int32_t Threads = 0;     // threads Read may use (0: one per core)
    // A plain survey file of at least this many bytes is read by two readers
    // at once, one from each half, where Read may use two threads.
    std::uint64_t TwoReadersFrom = std::uint64_t{1} << 20;

private:
    TRunStatus ReadRecords(class TCsvFile& reader, class TCsvFile* second,
                           const struct TRecordRules& rules, std::int32_t firstCapacity,
                           std::uint64_t firstBytes, std::uint64_t bytes);
    void SortByClassKey();
    void SortByPerson();
    void ArrangeColumns(bool skipMissing);
    void KeepColumns(const std::vector<std::size_t>& keep);
    bool Allocate(std::int32_t n);
    void Release();

    // Several columns: the values of record i at [i * K() + k]; with one
    // column they stay in the records. Read in file order, then arranged in
    // the records' order.
    std::unique_ptr<double[]> Values; // not set to anything before it is written
    // Per column, while reading: the data rows (from 1) whose field is not a
    // number, by class number; and whether every field is a number or blank.
    std::vector<std::vector<TRowTally>> ClassMissing;
    std::vector<std::vector<std::uint8_t>> NotNumberRows; // per column, by data row (from 0)
    std::vector<std::uint8_t> AllNumbers;
    std::vector<std::uint8_t> AnyNumber;

    // The distinct classification keys, by number, and their records.
    std::vector<TKey> ClassKeys;
    std::vector<std::int32_t> ClassSizes; // records per class number
};

} // namespace habitual
