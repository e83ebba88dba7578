// The settings of one run, filled by the window or the batch tool, and the
// names of the values its choice fields take.
#pragma once

#include <cstdint>
#include <string>

namespace habitual {

// Values of NormalizeMethod. Any value other than these four is taken as
// GivenPower by the transformation and the back-transformation.
namespace Normalize {
inline constexpr std::int32_t BestPower = 0;  // best of the log and 20 powers, per group
inline constexpr std::int32_t Log = 1;        // natural log after the zero offset
inline constexpr std::int32_t None = 2;       // the values as they are
inline constexpr std::int32_t GivenPower = 3; // the power in PowerText; 0 means the log
} // namespace Normalize

// Values of HendoMode: where the variance components come from. A given
// value is in force only under Normalize::GivenPower.
namespace Hendo {
inline constexpr std::int32_t Estimated = 0;   // from the data
inline constexpr std::int32_t WithinGiven = 1; // within-person variance in VWText
inline constexpr std::int32_t RatioGiven = 2;  // within/between ratio in VWBRatioText
} // namespace Hendo

// Values of OutType; any other value writes nothing but the headings.
namespace OutForm {
inline constexpr std::int32_t Standard = 0;   // the standard text report (.txt)
inline constexpr std::int32_t CsvSummary = 1; // comma-separated summary (.csv)
inline constexpr std::int32_t CsvData = 2;    // comma-separated habitual values (.csv)
// One comma-separated table of every column, group and distribution (.csv);
// chosen beside the three forms above, never from their list.
inline constexpr std::int32_t SummaryTable = 3;
} // namespace OutForm

struct TAnalysisSettings {
    std::string FileName;                         // path of the survey file (native bytes)
    std::int32_t IdColumns[4] = {-1, -1, -1, -1}; // zero-based; -1 = not used
    std::int32_t ClassColumns[3] = {-1, -1, -1};
    std::int32_t NutrientColumn = 0;
    std::int32_t NormalizeMethod = Normalize::BestPower;
    std::string PowerText; // texts below are CP932 bytes, parsed where used
    std::int32_t HendoMode = Hendo::Estimated;
    std::string VWText;
    std::string VWBRatioText;
    std::string CutOffText;
    std::int32_t OutType = OutForm::Standard;
};

// True when a given within-person variance or variance ratio replaces the
// estimated components: only under the given power, and only as chosen.
inline bool GivenVarianceInForce(std::int32_t normalizeMethod, std::int32_t hendoMode) {
    return normalizeMethod == Normalize::GivenPower && hendoMode != Hendo::Estimated;
}

} // namespace habitual
