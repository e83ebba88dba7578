// Variance components by a one-way analysis of variance with the person as
// the factor, for an unbalanced design (persons may have any number of days).
//
// Reads:    Records[0 .. NData): PersonKey, Draw, RowNo, Transformed (analysis
//           scale); NormalizeMethod, VWSpec, VWBRatioSpec; HendoMode of the
//           settings. Requires NData >= 2.
// Writes:   Persons[0 .. NPerson): PersonKey, RowNo, NDays, PersonMean
//           (analysis scale), in ascending order of person; NPerson and every
//           field from SSTotal to DFTotal (analysis scale).
// Reorders: Records by person (key, then draw); a person's records in no
//           defined order.
#pragma once

#include "engine/Anova1Way.h"
#include "engine/Settings.h"

namespace habitual {

void Anova(TAnova1Way& ctx, const TAnalysisSettings& settings);

} // namespace habitual
