// The texts the plots of a group show about it: its heading, its
// transformation, the candidates of the best-power search. UTF-8.
#pragma once

#include <string>

#include "engine/GroupResult.h"

namespace habitual::plot {

// "エネルギー　[性別=1][年齢階級=20-29]": the analysis column's name and the
// group's classification pieces, as the results document heads the group.
std::string HeadingText(const TGroupHeading& heading);

// The analysis column's name ("分析変数" when its header is empty).
std::string NutrientText(const TGroupHeading& heading);

// The transformation in use: "最良べき乗変換：べき数 1/3", "対数変換" ...
std::string MethodText(const TGroupResult& r);

// Candidate k of the best-power search: "log" for the log (k = 0), else its
// exponent 2 / k as a fraction ("2", "1", "2/3", "1/2" ... "1/10").
std::string CandidateLabel(int k);

// Why the habitual distribution is not shown; empty when it is.
std::string HabitualMissingText(const TGroupResult& r);

} // namespace habitual::plot
