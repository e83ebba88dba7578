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

std::string Subtitle(const TGroupResult& r) {
    return HeadingText(r.Heading) + "　／　" + MethodText(r);
}

TIntakeFigure IntakeFigure(const TGroupResult& r, const TPlotOptions& options, const char* id,
                           const char* title, const char* yTitle) {
    TIntakeFigure f;
    f.Scale = options.LogAxis ? TScale::Log : TScale::Linear;
    f.Figure.Id = id;
    f.Figure.Title = title;
    f.Figure.Subtitle = Subtitle(r);
    f.Panel.Id = id;
    // The units: the analysis column's name, and the scale.
    f.Panel.X.Title = NutrientText(r.Heading) + (f.Scale == TScale::Log ? "（対数目盛）" : "");
    f.Panel.X.Scale = f.Scale;
    f.Panel.Y.Title = yTitle;
    return f;
}

std::string CutOffLabel(const TGroupResult::TShare& share) {
    return General(share.Limit) + (share.Below ? "未満" : "以上");
}

TMarkerLine CutOffMarker(int k, const TGroupResult::TShare& share,
                         std::vector<std::string> labels) {
    TMarkerLine m;
    m.Id = "cutoff-" + std::to_string(k);
    m.X = share.Limit;
    m.Stroke = CutOffLine();
    m.Labels = std::move(labels);
    return m;
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
