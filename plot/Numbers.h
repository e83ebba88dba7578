// Numbers as the plots print them: in axis labels, figure texts and SVG
// coordinates, always with a decimal point, whatever the process locale.
#pragma once

#include <string>

namespace habitual::plot {

// v with exactly decimals digits after the point ("12.50"); "-0" prints as "0".
std::string Fixed(double v, int decimals);

// v as "%lg" prints it: six significant digits, no trailing zeros.
std::string General(double v);

// The shortest text that reads back as v exactly.
std::string Exact(double v);

} // namespace habitual::plot
