// What the three figures of a group share: their colours and line styles,
// the values an axis can show, and their titles. Inside the plot layer only.
#pragma once

#include <string>
#include <vector>

#include "engine/GroupResult.h"
#include "plot/Figure.h"

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

// The intake axis' title: the analysis column's name, and the scale.
std::string IntakeTitle(const TGroupResult& r, TScale scale);

// "エネルギー　[性別=1]　／　最良べき乗変換：べき数 1/3"
std::string Subtitle(const TGroupResult& r);

// The cut-off's label as the report writes its limit: "10以上", "20未満".
std::string CutOffLabel(const TGroupResult::TShare& share);

// Whether a limit may widen an axis spanning [lo, hi]: within one span of it
// (a decade on a log axis); a limit far outside would squeeze the data.
bool NearRange(double v, double lo, double hi, TScale scale);

// A count as digits.
std::string Count(std::size_t n);

} // namespace habitual::plot::parts
