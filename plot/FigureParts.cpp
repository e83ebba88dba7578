#include "plot/FigureParts.h"

#include <cmath>

#include "plot/GroupTexts.h"
#include "plot/Numbers.h"

namespace habitual::plot::parts {

TDrawable Drawable(const std::vector<double>& values, TScale scale) {
    TDrawable d;
    d.Values.reserve(values.size());
    for (double v : values) {
        if (!std::isfinite(v))
            ++d.NotNumbers;
        else if (scale == TScale::Log && !(v > 0))
            ++d.NotPositive;
        else
            d.Values.push_back(v);
    }
    return d;
}

std::string IntakeTitle(const TGroupResult& r, TScale scale) {
    return NutrientText(r.Heading) + (scale == TScale::Log ? "（対数目盛）" : "");
}

std::string Subtitle(const TGroupResult& r) {
    return HeadingText(r.Heading) + "　／　" + MethodText(r);
}

std::string CutOffLabel(const TGroupResult::TShare& share) {
    return General(share.Limit) + (share.Below ? "未満" : "以上");
}

bool NearRange(double v, double lo, double hi, TScale scale) {
    if (!std::isfinite(v)) return false;
    if (scale == TScale::Log) return v > 0 && v >= lo / 10 && v <= hi * 10;
    const double span = std::max(hi - lo, std::fabs(hi) * 1e-9);
    return v >= lo - span && v <= hi + span;
}

std::string Count(std::size_t n) {
    return std::to_string(n);
}

} // namespace habitual::plot::parts
