#include "plot/Ticks.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "plot/Numbers.h"

namespace habitual::plot {
namespace {

// Digits after the point that a label of a multiple of v needs.
int DecimalsFor(double v) {
    if (!(v > 0) || !std::isfinite(v)) return 0;
    return static_cast<int>(std::clamp(-std::floor(std::log10(v) + 1e-9), 0.0, 340.0));
}

} // namespace

double NiceNumber(double x, bool round) {
    const double exponent = std::floor(std::log10(x));
    const double power = std::pow(10.0, exponent);
    const double f = x / power;
    double nice;
    if (round)
        nice = f < 1.5 ? 1 : f < 3 ? 2 : f < 7 ? 5 : 10;
    else
        nice = f <= 1 ? 1 : f <= 2 ? 2 : f <= 5 ? 5 : 10;
    return nice * power;
}

TNiceRange LooseRange(double lo, double hi, int ticks) {
    if (lo > hi) std::swap(lo, hi);
    if (!(hi - lo > 1e-12 * std::max(std::fabs(lo), std::fabs(hi)))) {
        // One value: a range around it of a tenth of its size (or of 1 at 0).
        const double half = lo == 0 ? 1.0 : std::fabs(lo) * 0.1;
        lo -= half;
        hi += half;
    }
    TNiceRange r;
    const double step = NiceNumber(NiceNumber(hi - lo, false) / (std::max(ticks, 2) - 1), true);
    r.Step = step;
    r.Min = std::floor(lo / step) * step;
    r.Max = std::ceil(hi / step) * step;
    r.Decimals = DecimalsFor(step);
    // Near the largest doubles no round range fits: the range as it is.
    if (!std::isfinite(r.Min) || !std::isfinite(r.Max) || !std::isfinite(step) || !(step > 0) ||
        !(r.Max > r.Min)) {
        r.Min = lo;
        r.Max = hi;
        r.Step = hi / 4 - lo / 4;
        r.Decimals = 0;
    }
    return r;
}

namespace {

// The largest of 1, 2, 5 times a power of ten not above v, or the smallest
// not below it.
double RoundDown125(double v) {
    const double power = std::pow(10.0, std::floor(std::log10(v)));
    const double f = v / power;
    return (f >= 5 ? 5 : f >= 2 ? 2 : 1) * power;
}

double RoundUp125(double v) {
    const double power = std::pow(10.0, std::floor(std::log10(v)));
    const double f = v / power;
    return (f <= 1 + 1e-9 ? 1 : f <= 2 + 1e-9 ? 2 : f <= 5 + 1e-9 ? 5 : 10) * power;
}

std::vector<TTick> LinearTicks(double min, double max) {
    const TNiceRange nice = LooseRange(min, max);
    std::vector<TTick> ticks;
    const double first = std::ceil(min / nice.Step - 1e-9);
    for (double k = first;; ++k) {
        const double v = k * nice.Step;
        if (v > max + nice.Step * 1e-9 || ticks.size() > 50) break;
        ticks.push_back({v, Fixed(v, nice.Decimals)});
    }
    return ticks;
}

std::vector<TTick> LogTicks(double min, double max) {
    std::vector<TTick> ticks;
    const double decades = std::log10(max / min);
    // Few decades: 1, 2 and 5 times each power; many: every power, or every
    // second or fifth one when there are very many.
    const double factors125[] = {1, 2, 5};
    const int every = decades <= 8 ? 1 : decades <= 16 ? 2 : 5;
    const int first = static_cast<int>(std::floor(std::log10(min)));
    const int last = static_cast<int>(std::ceil(std::log10(max)));
    for (int e = first; e <= last; ++e) {
        if (e % every != 0) continue;
        const double power = std::pow(10.0, e);
        for (double f : factors125) {
            if (f != 1 && decades > 2.5) continue;
            const double v = f * power;
            if (v < min * (1 - 1e-9) || v > max * (1 + 1e-9)) continue;
            // Ten to a power outside the ordinary range is printed as such.
            const std::string label = e < -6 || e > 9
                                          ? (f == 1 ? "1e" : General(f) + "e") + std::to_string(e)
                                          : Fixed(v, DecimalsFor(v));
            ticks.push_back({v, label});
        }
    }
    return ticks;
}

} // namespace

TNiceRange LogRange(double lo, double hi) {
    TNiceRange r;
    r.Min = RoundDown125(lo);
    r.Max = RoundUp125(hi);
    if (!(r.Max > r.Min)) r.Max = RoundUp125(r.Min * 1.5);
    // At the ends of the doubles (where a power of ten is 0 or infinite):
    // the range as it is, widened if it is one value.
    if (!(r.Min > 0) || !std::isfinite(r.Max) || !(r.Max > r.Min)) {
        r.Min = lo;
        r.Max = hi;
        if (!(r.Max > r.Min)) {
            r.Min = lo / 2;
            r.Max = std::isfinite(hi * 2) ? hi * 2 : hi;
        }
        if (!(r.Min > 0)) r.Min = std::numeric_limits<double>::min();
    }
    r.Step = 0;
    r.Decimals = DecimalsFor(r.Min);
    return r;
}

std::vector<TTick> AxisTicks(const TAxis& axis) {
    if (!axis.Ticks.empty()) return axis.Ticks;
    if (!(axis.Max > axis.Min)) return {};
    return axis.Scale == TScale::Log ? LogTicks(axis.Min, axis.Max)
                                     : LinearTicks(axis.Min, axis.Max);
}

} // namespace habitual::plot
