// Round axis ranges and tick marks.
//
// Linear axes follow Heckbert's labelling: the step is a "nice" number
// (1, 2 or 5 times a power of ten) near range / (ticks - 1), and the range is
// widened to whole steps (P. S. Heckbert, "Nice numbers for graph labels",
// Graphics Gems, Academic Press 1990, 61-63). Log axes are labelled at the
// powers of ten, with 2 and 5 times them while few decades are shown.
#pragma once

#include <vector>

#include "plot/Figure.h"

namespace habitual::plot {

// Heckbert's nice number near x > 0: rounded to the nearest of 1, 2, 5, 10
// times a power of ten when round, else the smallest of them not below x.
double NiceNumber(double x, bool round);

struct TNiceRange {
    double Min = 0, Max = 1, Step = 1;
    int Decimals = 0; // digits the tick labels need after the point
};

// [lo, hi] widened to whole nice steps, about ticks of them. lo == hi is
// widened around the value first. Both must be finite.
TNiceRange LooseRange(double lo, double hi, int ticks = 6);

// [lo, hi] for a log axis (0 < lo <= hi): widened to 1, 2 or 5 times powers
// of ten.
TNiceRange LogRange(double lo, double hi);

// The ticks of an axis: its explicit ones, else round values within
// [Min, Max] for its scale.
std::vector<TTick> AxisTicks(const TAxis& axis);

} // namespace habitual::plot
