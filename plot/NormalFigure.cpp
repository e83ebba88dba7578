// The normal probability plot of the transformed values, and the R-square of
// every candidate of the best-power search.
#include <algorithm>
#include <cmath>

#include "engine/Anova1Way.h"
#include "plot/Binning.h"
#include "plot/FigureParts.h"
#include "plot/GroupPlots.h"
#include "plot/GroupTexts.h"
#include "plot/Numbers.h"
#include "plot/Ticks.h"

namespace habitual::plot {

using namespace parts;

namespace {

// The transformed scale as a formula of the intake x.
std::string ScaleText(const TGroupResult& r) {
    if (r.NormalizeMethod == Normalize::None ||
        (r.NormalizeMethod == Normalize::BestPower && r.ChosenCandidate < 0))
        return "値（無変換）";
    if (r.LogApplied) return r.LogOffset != 0 ? "log(x + " + General(r.LogOffset) + ")" : "log(x)";
    const std::string power = r.NormalizeMethod == Normalize::BestPower
                                  ? CandidateLabel(r.ChosenCandidate)
                                  : General(r.Power);
    return power == "1" ? "x" : "x^(" + power + ")";
}

void AddNormalPanel(TFigure& f, const TGroupResult& r, double weight) {
    TPanel p;
    p.Id = "normal";
    p.Weight = weight;
    p.X.Title = "標準正規スコア（Blom の順位点）";
    const std::string scale = ScaleText(r);
    p.Y.Title = scale == "値（無変換）" ? scale : "変換後の値 " + scale;

    // The pairs that are numbers, in rank order.
    std::vector<double> z, t;
    const std::size_t n = std::min(r.TransformedValues.size(), r.NormalScores.size());
    z.reserve(n);
    t.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        if (!std::isfinite(r.TransformedValues[i]) || !std::isfinite(r.NormalScores[i])) continue;
        z.push_back(r.NormalScores[i]);
        t.push_back(r.TransformedValues[i]);
    }
    if (z.size() < n)
        f.Notes.push_back("数でない変換後の値 " + Count(n - z.size()) +
                          " 件は描いていません（0 の対数など）");
    if (z.empty()) {
        p.Empty = "描ける変換後の値がありません";
        f.Panels.push_back(std::move(p));
        return;
    }

    // The least-squares line of t on z, over every pair.
    double zMean = 0, tMean = 0;
    for (std::size_t i = 0; i < z.size(); ++i) {
        zMean += z[i];
        tMean += t[i];
    }
    zMean /= static_cast<double>(z.size());
    tMean /= static_cast<double>(z.size());
    double szz = 0, stz = 0;
    for (std::size_t i = 0; i < z.size(); ++i) {
        szz += (z[i] - zMean) * (z[i] - zMean);
        stz += (z[i] - zMean) * (t[i] - tMean);
    }
    const auto [zLo, zHi] = std::minmax_element(z.begin(), z.end());
    const auto [tLo, tHi] = std::minmax_element(t.begin(), t.end());
    const TNiceRange xr = LooseRange(*zLo, *zHi), yr = LooseRange(*tLo, *tHi);
    p.X.Min = xr.Min;
    p.X.Max = xr.Max;
    p.Y.Min = yr.Min;
    p.Y.Max = yr.Max;

    TSeries points;
    points.Kind = TSeries::TKind::Points;
    points.Id = "normal-points";
    const std::vector<std::size_t> ranks = ThinnedRanks(z.size());
    for (std::size_t k : ranks) {
        points.X.push_back(z[k]);
        points.Y.push_back(t[k]);
    }
    points.Label = "変換後の値";
    if (ranks.size() < z.size())
        f.Notes.push_back(Count(z.size()) + " 点のうち " + Count(ranks.size()) +
                          " 点を表示（両端の 250 点ずつはすべて、その間は順位で等間隔）");
    points.Stroke = {Ink, 0.9};
    points.Fill = TColor{255, 255, 255};
    points.MarkerSize = ranks.size() > 500 ? 2 : 3;
    p.Series.push_back(std::move(points));

    if (szz > 0) {
        const double slope = stz / szz;
        TSeries line;
        line.Kind = TSeries::TKind::Line;
        line.Id = "normal-fit";
        line.Label = "最小二乗直線";
        line.X = {*zLo, *zHi};
        line.Y = {tMean + slope * (*zLo - zMean), tMean + slope * (*zHi - zMean)};
        line.Stroke = {HabitColor, 1.6, TDash::Dashed};
        p.Series.push_back(std::move(line));
    }
    TPanelText r2;
    r2.Id = "normal-r2";
    r2.X = 0.03;
    r2.Y = 0.94;
    r2.Bold = true;
    r2.Text = std::isfinite(r.PlotRSquare) ? "R² = " + Fixed(r.PlotRSquare, 6)
                                           : std::string("R² なし（値がすべて等しい）");
    p.Texts.push_back(std::move(r2));
    f.Panels.push_back(std::move(p));
}

// Candidates top to bottom in the order tried: the log, then 2, 1, 2/3 ...
void AddCandidatePanel(TFigure& f, const TGroupResult& r) {
    TPanel p;
    p.Id = "candidates";
    p.X.Title = "R²";
    p.Y.Title = "べき数の候補";
    const int count = static_cast<int>(r.CandidateRSquare.size());
    p.Y.Min = -0.7;
    p.Y.Max = count - 0.3;
    TSeries all, chosen;
    all.Kind = chosen.Kind = TSeries::TKind::Points;
    all.Id = "candidate-r2";
    all.Label = "候補の R²";
    all.Stroke = {Ink, 1};
    all.Fill = TColor{255, 255, 255};
    chosen.Id = "chosen-r2";
    chosen.Label = "採用した候補";
    chosen.Marker = TMarker::Square;
    chosen.MarkerSize = 4.5;
    chosen.Stroke = {Ink, 1};
    chosen.Fill = Ink;
    double lo = INFINITY, hi = -INFINITY;
    int missing = 0;
    for (int k = 0; k < count; ++k) {
        const double y = count - 1 - k;
        p.Y.Ticks.push_back({y, CandidateLabel(k)});
        const double v = r.CandidateRSquare[static_cast<std::size_t>(k)];
        if (!std::isfinite(v)) {
            ++missing;
            continue;
        }
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        all.X.push_back(v);
        all.Y.push_back(y);
        if (k == r.ChosenCandidate) {
            chosen.X.push_back(v);
            chosen.Y.push_back(y);
        }
    }
    if (missing > 0)
        f.Notes.push_back("R² のない候補 " + std::to_string(missing) + " 個は描いていません");
    if (!(lo <= hi)) {
        p.Empty = "R² のある候補がありません";
        f.Panels.push_back(std::move(p));
        return;
    }
    const TNiceRange xr = LooseRange(lo, hi, 4);
    p.X.Min = xr.Min;
    p.X.Max = xr.Max;
    p.Series.push_back(std::move(all));
    if (!chosen.X.empty()) p.Series.push_back(std::move(chosen));
    f.Panels.push_back(std::move(p));
}

} // namespace

TFigure NormalFigure(const TGroupResult& r) {
    TFigure f;
    f.Id = "normal";
    f.Title = "正規確率プロット（変換後の値）";
    f.Subtitle = Subtitle(r);
    const bool candidates =
        r.NormalizeMethod == Normalize::BestPower && !r.CandidateRSquare.empty();
    AddNormalPanel(f, r, candidates ? 1.9 : 1);
    if (candidates) AddCandidatePanel(f, r);
    if (r.LogApplied && r.LogOffset != 0)
        f.Notes.push_back("データに 0 が含まれるため、0 でない最小値の半分 " +
                          General(r.LogOffset) + " を加えてから対数変換しています");
    return f;
}

} // namespace habitual::plot
