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
#include "engine/Settings.h"

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
};

struct TRunStatus {
    TRunError Error = TRunError::None;
    std::int32_t RowNo = 0; // data row (from 1) of a key problem
    bool PersonKey = true;  // which key, for key problems
    bool Ok() const { return Error == TRunError::None; }
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

    // Reads the survey file named in the settings: the header's names and a
    // record per data row, then sorts the records by classification key and
    // finds the groups. On a refusal nothing of the file is kept.
    TRunStatus Read(const TAnalysisSettings& settings);

    // Puts a group's records into a workspace sized for it: PersonKey,
    // PersonPrefix, RowNo and Value, Draw 0, and NData.
    void FillGroup(const TGroupRange& group, TAnova1Way& ctx) const;
    // The number of records of the largest group.
    std::int32_t LargestGroup() const;

    std::int32_t NAll = 0;               // data rows of the file
    TIntakeRecord* AllRecords = nullptr; // NAll entries; in class-key order once read
    TKeyArena Keys;                      // the bytes of every key
    std::vector<TGroupRange> Groups;     // in ascending class-key order
    std::string NutrientName;            // header text of the analysis column (<= 127 bytes)
    std::string ClassNames[3];           // of the classification columns (<= 63 bytes); "" unused

private:
    TRunStatus ReadRecords(class TCsvFile& reader, const TAnalysisSettings& settings);
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
};

} // namespace habitual
