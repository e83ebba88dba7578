// The one-day and the habitual distribution on shared bins.
#include <algorithm>
#include <cmath>

#include "plot/Binning.h"
#include "plot/FigureParts.h"
#include "plot/GroupPlots.h"
#include "plot/GroupTexts.h"
#include "plot/Numbers.h"
#include "plot/Ticks.h"

namespace habitual::plot {

using namespace parts;

namespace {

// The values on the scale the bins are equal on.
std::vector<double> OnBinScale(const std::vector<double>& values, TScale scale) {
    if (scale == TScale::Linear) return values;
    std::vector<double> scaled(values.size());
    std::transform(values.begin(), values.end(), scaled.begin(),
                   [](double v) { return std::log10(v); });
    return scaled;
}

void AddCutOffs(TFigure& f, TPanel& p, const TGroupResult& r, bool habit) {
    int k = 0;
    double lo = p.X.Min, hi = p.X.Max;
    for (const TGroupResult::TShare& share : r.Shares) {
        ++k;
        const std::string label = CutOffLabel(share);
        const std::string shares = "1日 " + Fixed(share.Daily, 1) + "%" +
                                   (habit ? "・習慣 " + Fixed(share.Habit, 1) + "%" : "");
        if (!NearRange(share.Limit, p.X.Min, p.X.Max, p.X.Scale)) {
            f.Notes.push_back("カットオフ値 " + label + " は" +
                              (p.X.Scale == TScale::Log && !(share.Limit > 0)
                                   ? std::string("対数軸に描けません")
                                   : std::string("表示範囲の外です")) +
                              "（" + shares + "）");
            continue;
        }
        lo = std::min(lo, share.Limit);
        hi = std::max(hi, share.Limit);
        std::vector<std::string> labels{label, "1日 " + Fixed(share.Daily, 1) + "%"};
        if (habit) labels.push_back("習慣 " + Fixed(share.Habit, 1) + "%");
        p.Markers.push_back(CutOffMarker(k, share, std::move(labels)));
    }
    // A cut-off beyond the bins widens the axis, to round values again.
    if (lo < p.X.Min || hi > p.X.Max) {
        const TNiceRange range = p.X.Scale == TScale::Log ? LogRange(lo, hi) : LooseRange(lo, hi);
        p.X.Min = std::min(p.X.Min, range.Min);
        p.X.Max = std::max(p.X.Max, range.Max);
    }
}

} // namespace

TFigure HistogramFigure(const TGroupResult& r, const TPlotOptions& options) {
    TIntakeFigure parts =
        IntakeFigure(r, options, "histogram", "1日摂取量と習慣摂取量の分布", "割合（%）");
    TFigure& f = parts.Figure;
    TPanel& p = parts.Panel;
    const TScale scale = parts.Scale;

    const bool habit = r.HabitualShown;
    const TDrawable daily = Drawable(r.DailyValues, scale);
    const TDrawable habitual = habit ? Drawable(r.HabitValues, scale) : TDrawable{};
    if (daily.NotNumbers + habitual.NotNumbers > 0)
        f.Notes.push_back("数でない値（1日 " + Count(daily.NotNumbers) + " 件・習慣 " +
                          Count(habitual.NotNumbers) + " 人）は描いていません");
    if (daily.NotPositive + habitual.NotPositive > 0)
        f.Notes.push_back("0 以下の値（1日 " + Count(daily.NotPositive) + " 件・習慣 " +
                          Count(habitual.NotPositive) + " 人）は対数軸に描けません");
    if (!habit) f.Notes.push_back(HabitualMissingText(r));

    const std::vector<double> dailyScaled = OnBinScale(daily.Values, scale);
    const std::vector<double> habitScaled = OnBinScale(habitual.Values, scale);
    if (dailyScaled.empty() && habitScaled.empty()) {
        p.Empty = r.DailyValues.empty() ? "描ける値がありません" : "この軸に描ける値がありません";
        f.Panels.push_back(std::move(p));
        return std::move(f);
    }
    double lo = INFINITY, hi = -INFINITY;
    for (const std::vector<double>* values : {&dailyScaled, &habitScaled}) {
        if (values->empty()) continue;
        const auto [mn, mx] = std::minmax_element(values->begin(), values->end());
        lo = std::min(lo, *mn);
        hi = std::max(hi, *mx);
    }
    std::vector<double> sample = dailyScaled.empty() ? habitScaled : dailyScaled;
    const std::vector<double> edgesScaled = BinEdges(sample, lo, hi);
    sample = {};
    std::vector<double> edges = edgesScaled;
    if (scale == TScale::Log)
        for (double& e : edges) e = std::pow(10.0, e);

    // Heights in percent of each distribution's values that are numbers.
    const std::vector<double> dailyShares = BinShares(
        dailyScaled, edgesScaled, static_cast<double>(daily.Values.size() + daily.NotPositive));
    const std::vector<double> habitShares =
        BinShares(habitScaled, edgesScaled,
                  static_cast<double>(habitual.Values.size() + habitual.NotPositive));

    TSeries bars;
    bars.Kind = TSeries::TKind::Bars;
    bars.Id = "daily-histogram";
    bars.Label = "1日摂取量（" + Count(daily.Values.size()) + " 件）";
    bars.X = edges;
    bars.Y = dailyShares;
    bars.Fill = DailyFill;
    bars.Stroke = {TColor{255, 255, 255}, 0.6};
    p.Series.push_back(std::move(bars));
    double top =
        dailyShares.empty() ? 0 : *std::max_element(dailyShares.begin(), dailyShares.end());
    if (habit) {
        TSeries steps;
        steps.Kind = TSeries::TKind::Steps;
        steps.Id = "habit-histogram";
        steps.Label = "習慣摂取量（" + Count(habitual.Values.size()) + " 人）";
        steps.X = edges;
        steps.Y = habitShares;
        steps.Stroke = {HabitColor, 2.2, TDash::Solid};
        steps.Fill = TColor{HabitColor.R, HabitColor.G, HabitColor.B, 0.12};
        if (!habitShares.empty())
            top = std::max(top, *std::max_element(habitShares.begin(), habitShares.end()));
        p.Series.push_back(std::move(steps));
    }
    p.X.Min = edges.front();
    p.X.Max = edges.back();
    p.Y.Min = 0;
    p.Y.Max = LooseRange(0, std::max(top * 1.1, 1e-9)).Max;
    AddCutOffs(f, p, r, habit);
    f.Panels.push_back(std::move(p));
    return std::move(f);
}

} // namespace habitual::plot
