#include "engine/PlotCriticalValues.h"

#include "engine/Elementary.h"

#include <cmath>
#include <iterator>
#include <limits>

namespace habitual {
namespace {

struct TCritical {
    std::int64_t N;
    double Deficit; // 1 - the critical R-square
};

const TCritical Table[] = {
#include "engine/PlotCriticalValues.inc"
};

} // namespace

double PlotRSquareCriticalValue(std::int64_t n) {
    if (n < Table[0].N) return std::numeric_limits<double>::quiet_NaN();
    const std::size_t last = std::size(Table) - 1;
    if (n >= Table[last].N) return 1 - Table[last].Deficit;
    std::size_t i = 0;
    while (Table[i + 1].N <= n) ++i;
    if (Table[i].N == n) return 1 - Table[i].Deficit;
    const double t =
        (Log(static_cast<double>(n)) - Log(static_cast<double>(Table[i].N))) /
        (Log(static_cast<double>(Table[i + 1].N)) - Log(static_cast<double>(Table[i].N)));
    const double deficit = Exp((1 - t) * Log(Table[i].Deficit) + t * Log(Table[i + 1].Deficit));
    return 1 - deficit;
}

} // namespace habitual
