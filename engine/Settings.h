// The settings of one run, filled by the window or the batch tool.
#pragma once

#include <cstdint>
#include <string>

namespace habitual {

struct TAnalysisSettings {
    std::string FileName;                         // path of the survey file (native bytes)
    std::int32_t IdColumns[4] = {-1, -1, -1, -1}; // zero-based; -1 = not used
    std::int32_t ClassColumns[3] = {-1, -1, -1};
    std::int32_t NutrientColumn = 0;
    std::int32_t NormalizeMethod = 0; // 0 best power, 1 log, 2 none, 3 given power
    std::string PowerText;            // texts below are CP932 bytes, parsed where used
    std::int32_t HendoMode = 0;       // 0 estimated, 1 within variance given, 2 ratio given
    std::string VWText;
    std::string VWBRatioText;
    std::string CutOffText;
    std::int32_t OutType = 0; // 0 standard, 1 comma-separated summary, 2 comma-separated data
};

} // namespace habitual
