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

} // namespace habitual
