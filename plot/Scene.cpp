#include "plot/Scene.h"

#include <algorithm>

namespace habitual::plot {

std::vector<double> DashLengths(const TStroke& stroke) {
    // Lines wider than 1.5 get longer dashes, so that the pattern stays clear.
    const double k = std::max(1.0, stroke.Width / 1.5);
    switch (stroke.Dash) {
    case TDash::Dashed:
        return {7 * k, 4 * k};
    case TDash::Dotted:
        return {1.5 * k, 2.5 * k};
    case TDash::DashDot:
        return {8 * k, 3 * k, 2 * k, 3 * k};
    case TDash::Solid:
    default:
        return {};
    }
}

} // namespace habitual::plot
