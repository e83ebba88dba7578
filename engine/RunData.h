// The data of one run: every data row of the survey file as a record, the
// bytes of every key, and the groups the records fall into. Read once per
// run; the group workspaces (TAnova1Way) are filled from it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/KeyArena.h"
#include "engine/Records.h"
#include "engine/RowTally.h"
#include "engine/Settings.h"
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
};

struct TRunStatus {
    TRunStatus() = default;
    TRunStatus(TRunError error, std::int32_t rowNo = 0, bool personKey = true)
        : Error(error), RowNo(rowNo), PersonKey(personKey) {}
    TRunError Error = TRunError::None;
    std::int32_t RowNo = 0; // data row (from 1) of a key problem
    bool PersonKey = true;  // which key, for key problems
    TInputProblem Input;    // for TRunError::Input
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

class TRunData {
public:
    TRunData() = default;
    ~TRunData();
    TRunData(const TRunData&) = delete;
    TRunData& operator=(const TRunData&) = delete;

    // Reads the survey file named in the settings, opened by open (a CSV
    // file when it is empty): the header's names and a record per data row,
    // then sorts the records by classification key and finds the groups. A
    // data row whose analysis field is not a number becomes a record with
    // the value 0, or none with input.SkipMissing. On a refusal nothing of
    // the file is kept.
    TRunStatus Read(const TAnalysisSettings& settings, const TInputOptions& input = {},
                    const TSurveyOpener& open = {});

    // Puts a group's records into a workspace sized for it: PersonKey,
    // PersonPrefix, RowNo and Value, Draw 0, and NData.
    void FillGroup(const TGroupRange& group, TAnova1Way& ctx) const;
    // The number of records of the largest group.
    std::int32_t LargestGroup() const;

    std::int32_t NAll = 0;               // records: data rows of the file, less those left out
    TIntakeRecord* AllRecords = nullptr; // NAll entries; in class-key order once read
    TKeyArena Keys;                      // the bytes of every key
    std::vector<TGroupRange> Groups;     // in ascending class-key order
    std::string NutrientName;            // header text of the analysis column (<= 127 bytes)
    std::string ClassNames[3];           // of the classification columns (<= 63 bytes); "" unused
    TSurveyFormat Format = TSurveyFormat::Cp932;
    TRowTally SkippedWithText;        // lines skipped as blank although they held text
    std::vector<TNotNumbers> Missing; // by class key, in ascending order; keys with any only

private:
    TRunStatus ReadRecords(class TCsvFile& reader, const TAnalysisSettings& settings,
                           std::int32_t dataRows, bool skipMissing);
    void SortByClassKey();
    bool Allocate(std::int32_t n);
    void Release();

    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>{}(s);
        }
    };
    // The distinct classification keys: their numbers and arena names.
    std::unordered_map<std::string, std::int32_t, TextHash, std::equal_to<>> ClassNos;
    std::vector<TKey> ClassKeys;
    std::vector<std::int32_t> ClassSizes; // records per class number
    std::vector<TRowTally> ClassMissing;  // by class number
};

} // namespace habitual
