// Orderings shared by the estimation steps.
#pragma once

#include <cmath>

namespace habitual {

// Ascending order of doubles with every value that is not a number after
// all numbers: a strict weak order, as the sorts require, where comparing by
// the difference a - b would not be one.
inline bool LessNanLast(double a, double b) {
    if (std::isnan(a)) return false;
    if (std::isnan(b)) return true;
    return a < b;
}

} // namespace habitual
