#include "plot/Binning.h"

#include <algorithm>
#include <cmath>

#include "plot/Ticks.h"

namespace habitual::plot {
namespace {

constexpr std::size_t FewestBins = 5, MostBins = 80;

// The sample quantile at fraction q (type 7 of Hyndman and Fan), sample
// partly reordered.
double Quantile(std::vector<double>& sample, double q) {
    const double position = q * static_cast<double>(sample.size() - 1);
    const auto k = static_cast<std::size_t>(position);
    std::nth_element(sample.begin(), sample.begin() + static_cast<std::ptrdiff_t>(k), sample.end());
    const double low = sample[k];
    if (k + 1 >= sample.size()) return low;
    const double high =
        *std::min_element(sample.begin() + static_cast<std::ptrdiff_t>(k) + 1, sample.end());
    return low + (position - static_cast<double>(k)) * (high - low);
}

} // namespace

std::vector<double> BinEdges(std::vector<double>& sample, double lo, double hi) {
    if (!(hi > lo)) {
        // One value: a single bin around it.
        const double half = lo == 0 ? 0.5 : std::fabs(lo) * 0.05;
        return {lo - half, hi + half};
    }
    const double span = hi - lo;
    if (!std::isfinite(span)) return {lo, hi};
    double bins = 1 + std::log2(std::max<double>(1, static_cast<double>(sample.size())));
    if (sample.size() >= 4) {
        const double iqr = Quantile(sample, 0.75) - Quantile(sample, 0.25);
        if (iqr > 0) bins = span * std::cbrt(static_cast<double>(sample.size())) / (2 * iqr);
    }
    bins =
        std::clamp(std::ceil(bins), static_cast<double>(FewestBins), static_cast<double>(MostBins));
    double width = NiceNumber(span / bins, true);
    std::vector<double> edges;
    for (int attempt = 0; attempt < 8; ++attempt) {
        const double first = std::floor(lo / width), last = std::ceil(hi / width);
        const double count = std::max(1.0, last - first);
        if (count <= static_cast<double>(MostBins) + 20 || attempt == 7) {
            edges.clear();
            for (double k = 0; k <= count; ++k) edges.push_back((first + k) * width);
            return edges;
        }
        width *= 2;
    }
    return {lo, hi};
}

std::vector<double> BinShares(const std::vector<double>& values, const std::vector<double>& edges,
                              double total) {
    const std::size_t bins = edges.size() < 2 ? 0 : edges.size() - 1;
    std::vector<double> counts(bins, 0.0);
    if (bins == 0 || !(total > 0)) return counts;
    const double first = edges.front(), last = edges.back();
    // In halves, so that edges near the largest doubles do not overflow.
    const double span = last * 0.5 - first * 0.5;
    for (double v : values) {
        if (!(v >= first && v <= last)) continue;
        const double at = (v * 0.5 - first * 0.5) / span * static_cast<double>(bins);
        auto k =
            static_cast<std::size_t>(at >= 0 ? std::min(at, static_cast<double>(bins - 1)) : 0.0);
        // Rounding in the division can put a value on an edge one bin off.
        if (k + 1 < bins && v >= edges[k + 1]) ++k;
        if (k > 0 && v < edges[k]) --k;
        counts[k] += 1;
    }
    for (double& c : counts) c *= 100.0 / total;
    return counts;
}

std::vector<std::size_t> ThinnedRanks(std::size_t n, std::size_t limit, std::size_t tails) {
    std::vector<std::size_t> ranks;
    if (n <= limit) {
        for (std::size_t i = 0; i < n; ++i) ranks.push_back(i);
        return ranks;
    }
    limit = std::max<std::size_t>(limit, 2);
    if (limit < 2 * tails + 2) tails = 0;
    for (std::size_t i = 0; i < tails; ++i) ranks.push_back(i);
    // The middle ranks [tails, n - tails) evenly, both ends included.
    const std::size_t middle = limit - 2 * tails;
    const std::size_t from = tails, to = n - tails - 1;
    for (std::size_t j = 0; j < middle; ++j) {
        const double at = static_cast<double>(from) + static_cast<double>(to - from) *
                                                          static_cast<double>(j) /
                                                          static_cast<double>(middle - 1);
        const auto r = static_cast<std::size_t>(std::llround(at));
        if (ranks.empty() || r > ranks.back()) ranks.push_back(r);
    }
    for (std::size_t i = n - tails; i < n; ++i)
        if (i > ranks.back()) ranks.push_back(i);
    return ranks;
}

} // namespace habitual::plot
