// What the three figures of a group share: their colours and line styles,
// the values an axis can show, and their titles. Inside the plot layer only.
#pragma once

#include <string>
#include <vector>

#include "engine/GroupResult.h"
#include "plot/Figure.h"
#include "plot/GroupPlots.h"

namespace habitual::plot::parts {

// Colours that stay apart in grey: the one-day side light and solid, the
// habitual side dark and dashed.
inline constexpr TColor DailyColor{49, 104, 172};
inline constexpr TColor DailyFill{166, 196, 230};
inline constexpr TColor HabitColor{170, 58, 8};
inline constexpr TColor Ink{30, 30, 30};

inline TStroke DailyLine() {
    return {DailyColor, 2.2, TDash::Solid};
}
inline TStroke HabitLine() {
    return {HabitColor, 2.4, TDash::Dashed};
}
inline TStroke CutOffLine() {
    return {Ink, 1.2, TDash::DashDot};
}

// The values an axis of the scale can show, and how many it cannot.
struct TDrawable {
    std::vector<double> Values;
    std::size_t NotNumbers = 0;  // NaN, infinite
    std::size_t NotPositive = 0; // 0 or less, on a log axis
};
TDrawable Drawable(const std::vector<double>& values, TScale scale);

// "エネルギー　[性別=1]　／　最良べき乗変換：べき数 1/3"
std::string Subtitle(const TGroupResult& r);

// A figure of the group whose one panel (id as the figure's) has the intake
// along x, on the scale the options ask for.
struct TIntakeFigure {
    TFigure Figure;
    TPanel Panel;
    TScale Scale = TScale::Linear;
};
TIntakeFigure IntakeFigure(const TGroupResult& r, const TPlotOptions& options, const char* id,
                           const char* title, const char* yTitle);

// The cut-off's label as the report writes its limit: "10以上", "20未満".
std::string CutOffLabel(const TGroupResult::TShare& share);

// The line at the report's cut-off k (from 1), with texts beside it.
TMarkerLine CutOffMarker(int k, const TGroupResult::TShare& share, std::vector<std::string> labels);

// Whether a limit may widen an axis spanning [lo, hi]: within one span of it
// (a decade on a log axis); a limit far outside would squeeze the data.
bool NearRange(double v, double lo, double hi, TScale scale);

// A count as digits.
std::string Count(std::size_t n);

} // namespace habitual::plot::parts
