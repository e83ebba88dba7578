// Variance components by a one-way analysis of variance with the person as
// the factor, for an unbalanced design (persons may have any number of days).
//
// Reads:    Records[0 .. NData): PersonKey, Draw, RowNo, Transformed (analysis
//           scale); NormalizeMethod, VWSpec, VWBRatioSpec; HendoMode of the
//           settings. Requires NData >= 2.
// Writes:   Persons[0 .. NPerson): PersonKey, RowNo, NDays, PersonMean
//           (analysis scale), in ascending order of person; NPerson and every
//           field from SSTotal to DFTotal (analysis scale).
// Reorders: Records by person (key, then draw), a person's records by data
//           row (PersonOrderLess).
#pragma once

#include "engine/Anova1Way.h"
#include "engine/Settings.h"

namespace habitual {

void Anova(TAnova1Way& ctx, const TAnalysisSettings& settings);

// The order of persons: their keys in byte order, the draws of one person
// apart. Comparing the leading bytes as numbers settles most comparisons
// without reaching into the key arena. Below 0, 0 or above 0.
inline int ComparePersons(const TKeyArena& keys, const TGroupRecord& a, const TGroupRecord& b) {
    if (a.PersonPrefix[0] != b.PersonPrefix[0])
        return a.PersonPrefix[0] < b.PersonPrefix[0] ? -1 : 1;
    if (a.PersonPrefix[1] != b.PersonPrefix[1])
        return a.PersonPrefix[1] < b.PersonPrefix[1] ? -1 : 1;
    if (a.PersonKey.Length() > 16 || b.PersonKey.Length() > 16)
        if (const int c = keys.Compare(a.PersonKey, b.PersonKey); c != 0) return c;
    return a.Draw == b.Draw ? 0 : (a.Draw < b.Draw ? -1 : 1);
}

// The order Anova leaves the records in: by person, and within a person by
// data row, a total order, so that the sums over a person's records come
// out the same however the records arrived.
inline bool PersonOrderLess(const TKeyArena& keys, const TGroupRecord& a, const TGroupRecord& b) {
    if (const int c = ComparePersons(keys, a, b); c != 0) return c < 0;
    return a.RowNo < b.RowNo;
}

} // namespace habitual
