// Report lines that more than one output form writes.
#pragma once

#include <string>

#include "engine/Anova1Way.h"

namespace habitual {

// The message that stands in place of the habitual distribution when a
// variance component is not positive (or not a number), else nullptr.
const std::string* HabitualNotEstimable(const TAnova1Way& ctx);
// The same for the within-person (vw) and between-person (vb) variance.
const std::string* HabitualNotEstimable(double vw, double vb);

// The rows of the standard report's distribution table: the label of each
// figure as a format (UTF-8; "%%" for a percent sign, the cut-off's limit as
// "%7lg") and the percentile entry it shows.
struct TPercentileRow {
    const char* Label;
    int Entry;
};
extern const TPercentileRow PercentileRows[11];
extern const char* const MeanLabel;
extern const char* const SDLabel;
extern const char* const BelowLabel;     // of a cut-off's share below its limit
extern const char* const AtOrAboveLabel; // of a cut-off's share at or above it

// The dash line of the standard report.
const std::string& DashLine();

} // namespace habitual
