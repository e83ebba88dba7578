// The percentile curves of both distributions, with their confidence bands.
#include <algorithm>
#include <cmath>

#include "plot/FigureParts.h"
#include "plot/GroupPlots.h"
#include "plot/GroupTexts.h"
#include "plot/Numbers.h"
#include "plot/Ticks.h"

namespace habitual::plot {

using namespace parts;

namespace {

std::vector<double> Percents() {
    std::vector<double> y(101);
    for (int p = 0; p <= 100; ++p) y[p] = p;
    return y;
}

TSeries Curve(const char* id, std::string label, const std::array<double, 101>& pct,
              TStroke stroke) {
    TSeries s;
    s.Kind = TSeries::TKind::Line;
    s.Id = id;
    s.Label = std::move(label);
    s.X.assign(pct.begin(), pct.end());
    s.Y = Percents();
    s.Stroke = stroke;
    return s;
}

// The band as an area, and its two limits as thin dotted lines.
void AddBand(TPanel& p, const std::string& side, const std::string& name,
             const TPercentileBand& band, TColor color) {
    TSeries area;
    area.Kind = TSeries::TKind::Band;
    area.Id = side + "-band";
    area.Label = name + "の" + General(band.Level) + "% 信頼区間";
    area.X.assign(band.Lower.begin(), band.Lower.end());
    area.X2.assign(band.Upper.begin(), band.Upper.end());
    area.Y = Percents();
    area.Stroke.Width = 0;
    area.Fill = TColor{color.R, color.G, color.B, 0.18};
    p.Series.push_back(std::move(area));
    for (const char* end : {"lower", "upper"}) {
        const bool lower = end[0] == 'l';
        TSeries limit = Curve("", "", lower ? band.Lower : band.Upper, {color, 1, TDash::Dotted});
        limit.Id = side + "-band-" + end;
        p.Series.push_back(std::move(limit));
    }
}

// How many of the points (x, percent) the axis cannot show, by reason.
void CountMissing(const std::vector<double>& xs, TScale scale, std::size_t& notNumbers,
                  std::size_t& notPositive) {
    const TDrawable d = Drawable(xs, scale);
    notNumbers += d.NotNumbers;
    notPositive += d.NotPositive;
}

} // namespace

TFigure CumulativeFigure(const TGroupResult& r, const TPlotOptions& options, const TBands& bands) {
    TIntakeFigure parts =
        IntakeFigure(r, options, "cumulative", "累積分布（パーセンタイル曲線）", "累積割合（%）");
    TFigure& f = parts.Figure;
    TPanel& p = parts.Panel;
    const TScale scale = parts.Scale;
    p.Y.Min = 0;
    p.Y.Max = 100;

    const bool habit = r.HabitualShown;
    if (bands.Daily) AddBand(p, "daily", "1日摂取量", *bands.Daily, DailyColor);
    if (habit && bands.Habit) AddBand(p, "habit", "習慣摂取量", *bands.Habit, HabitColor);
    p.Series.push_back(Curve("daily-cdf", "1日摂取量", r.PctDaily, DailyLine()));
    if (habit)
        p.Series.push_back(Curve("habit-cdf", "習慣摂取量", r.PctHabit, HabitLine()));
    else
        f.Notes.push_back(HabitualMissingText(r));

    // The axis spans every point drawn, the bands' included.
    double lo = INFINITY, hi = -INFINITY;
    std::size_t notNumbers = 0, notPositive = 0;
    for (const TSeries& s : p.Series) {
        for (const std::vector<double>* xs : {&s.X, &s.X2}) {
            for (double x : Drawable(*xs, scale).Values) {
                lo = std::min(lo, x);
                hi = std::max(hi, x);
            }
        }
        if (s.Id == "daily-cdf" || s.Id == "habit-cdf")
            CountMissing(s.X, scale, notNumbers, notPositive);
    }
    if (notNumbers > 0)
        f.Notes.push_back("数でないパーセンタイル点 " + Count(notNumbers) + " 個は描いていません");
    if (notPositive > 0)
        f.Notes.push_back("0 以下のパーセンタイル点 " + Count(notPositive) +
                          " 個は対数軸に描けません");
    if (!(lo <= hi)) {
        p.Empty = "この軸に描けるパーセンタイル点がありません";
        f.Panels.push_back(std::move(p));
        return std::move(f);
    }
    for (const TGroupResult::TShare& share : r.Shares) {
        if (!NearRange(share.Limit, lo, hi, scale)) continue;
        lo = std::min(lo, share.Limit);
        hi = std::max(hi, share.Limit);
    }
    const TNiceRange range = scale == TScale::Log ? LogRange(lo, hi) : LooseRange(lo, hi);
    p.X.Min = range.Min;
    p.X.Max = range.Max;
    int k = 0;
    for (const TGroupResult::TShare& share : r.Shares) {
        ++k;
        if (!NearRange(share.Limit, lo, hi, scale)) continue;
        p.Markers.push_back(CutOffMarker(k, share, {CutOffLabel(share)}));
    }
    f.Panels.push_back(std::move(p));
    return std::move(f);
}

} // namespace habitual::plot
