// The plot layer: axes, bins, file names, the three figures of a group (also
// of groups whose values a figure cannot show), the SVG text and the plots
// folder. The drawn percentiles against the report: check_plots.py.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <filesystem>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "engine/Encoding.h"
#include "engine/EstimateGroup.h"
#include "engine/GroupResult.h"
#include "plot/Binning.h"
#include "plot/FileNames.h"
#include "plot/GroupPlots.h"
#include "plot/GroupTexts.h"
#include "plot/Layout.h"
#include "plot/PlotFolder.h"
#include "plot/Svg.h"
#include "plot/Ticks.h"
#include "tests/support/GroupFixture.h"
#include "tests/support/TempFile.h"
#include "tests/support/TempFolder.h"

using namespace habitual;
using namespace habitual::plot;
using habitual::test::PersonValues;

namespace {

const double NaN = std::numeric_limits<double>::quiet_NaN();
const double Inf = std::numeric_limits<double>::infinity();

TGroupHeading Heading(const char* sex = "1") {
    TGroupHeading h;
    h.NutrientName = Utf8ToCp932("エネルギー");
    h.ClassNames[0] = Utf8ToCp932("性別");
    h.ClassTexts[0] = Utf8ToCp932(sex);
    h.ClassLine = true;
    return h;
}

// A group estimated by the engine, with its values, as a run hands it over.
TGroupResult Estimated(const std::vector<PersonValues>& persons,
                       std::int32_t method = Normalize::BestPower, const char* cutOffs = "",
                       const TGroupHeading& heading = Heading()) {
    test::TTestGroup ctx;
    test::FillGroup(ctx, persons);
    TAnalysisSettings settings;
    settings.NormalizeMethod = method;
    settings.PowerText = "0.5";
    settings.CutOffText = cutOffs;
    EstimateGroup(ctx, settings);
    return CaptureGroupResult(ctx, settings, heading, true);
}

// persons persons with two days each, log-normal intakes.
std::vector<PersonValues> Survey(int persons, unsigned seed = 1) {
    std::mt19937_64 rng(seed);
    std::normal_distribution<double> person(7.6, 0.25), day(0, 0.3);
    std::vector<PersonValues> out;
    for (int p = 0; p < persons; ++p) {
        const double mean = person(rng);
        std::string key = "p";
        key += std::to_string(p);
        const double first = std::exp(mean + day(rng));
        out.push_back({key, {first, std::exp(mean + day(rng))}});
    }
    return out;
}

const TSeries* FindSeries(const TFigure& f, const std::string& id) {
    for (const TPanel& p : f.Panels)
        for (const TSeries& s : p.Series)
            if (s.Id == id) return &s;
    return nullptr;
}

const TPanel* FindPanel(const TFigure& f, const std::string& id) {
    for (const TPanel& p : f.Panels)
        if (p.Id == id) return &p;
    return nullptr;
}

bool HasNote(const TFigure& f, const std::string& fragment) {
    for (const std::string& note : f.Notes)
        if (note.find(fragment) != std::string::npos) return true;
    return false;
}

// Every number an SVG file prints is one: no "nan" or "inf" anywhere.
bool PrintsOnlyNumbers(const std::string& svg) {
    return svg.find("nan") == std::string::npos && svg.find("inf") == std::string::npos;
}

} // namespace

TEST(PlotAxes, RoundRangesAndTicks) {
    struct Case {
        double Lo, Hi, Min, Max, Step;
    } cases[] = {
        {0, 97, 0, 100, 20},
        {1234, 4817, 1000, 5000, 1000},
        {0.013, 0.052, 0.01, 0.06, 0.01},
        {-3.1, 2.4, -4, 4, 2},
        {5, 5, 4.4, 5.6, 0.2},
        {0, 0, -1, 1, 0.5},
        {0, 1.7e308, 0, 1.7e308, 1.7e308 / 4},
    };
    for (const Case& c : cases) {
        const TNiceRange r = LooseRange(c.Lo, c.Hi);
        EXPECT_NEAR(r.Min, c.Min, 1e-12) << c.Lo << " " << c.Hi;
        EXPECT_NEAR(r.Max, c.Max, 1e-12) << c.Lo << " " << c.Hi;
        EXPECT_NEAR(r.Step, c.Step, 1e-12) << c.Lo << " " << c.Hi;
    }
    TAxis axis;
    axis.Min = 0;
    axis.Max = 0.06;
    std::vector<std::string> labels;
    for (const TTick& t : AxisTicks(axis)) labels.push_back(t.Label);
    EXPECT_EQ(labels, (std::vector<std::string>{"0.00", "0.02", "0.04", "0.06"}));
    // A log axis: 1, 2 and 5 times the powers while few decades show, the
    // powers alone over many.
    axis.Scale = TScale::Log;
    const TNiceRange few = LogRange(130, 4800);
    EXPECT_EQ(few.Min, 100);
    EXPECT_EQ(few.Max, 5000);
    axis.Min = few.Min;
    axis.Max = few.Max;
    labels.clear();
    for (const TTick& t : AxisTicks(axis)) labels.push_back(t.Label);
    EXPECT_EQ(labels, (std::vector<std::string>{"100", "200", "500", "1000", "2000", "5000"}));
    axis.Min = 0.001;
    axis.Max = 1e5;
    labels.clear();
    for (const TTick& t : AxisTicks(axis)) labels.push_back(t.Label);
    EXPECT_EQ(labels, (std::vector<std::string>{"0.001", "0.01", "0.1", "1", "10", "100", "1000",
                                                "10000", "100000"}));
    axis.Min = 1e-20;
    axis.Max = 1e20;
    labels.clear();
    for (const TTick& t : AxisTicks(axis)) labels.push_back(t.Label);
    EXPECT_EQ(labels.front(), "1e-20");
    EXPECT_EQ(labels.size(), 9u);
}

TEST(PlotBins, SharesAndWidths) {
    std::vector<double> values;
    std::mt19937_64 rng(3);
    std::normal_distribution<double> normal(100, 15);
    for (int i = 0; i < 10000; ++i) values.push_back(normal(rng));
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    std::vector<double> sample = values;
    const std::vector<double> edges = BinEdges(sample, *lo, *hi);
    // Freedman and Diaconis: 2 IQR n^(-1/3) = 2 * 20.2 / 21.5, about 1.9,
    // rounded to 2; edges at its multiples, covering every value.
    ASSERT_GE(edges.size(), 6u);
    EXPECT_NEAR(edges[1] - edges[0], 2, 1e-9);
    EXPECT_LE(edges.front(), *lo);
    EXPECT_GE(edges.back(), *hi);
    EXPECT_LE(edges.size(), 101u);
    const std::vector<double> shares = BinShares(values, edges, 10000);
    double total = 0;
    for (double s : shares) total += s;
    EXPECT_NEAR(total, 100, 1e-9);

    // A value on an inner edge counts above it, the last edge in the last bin.
    EXPECT_EQ(BinShares({0, 1, 2, 3}, {0, 1, 2, 3}, 4), (std::vector<double>{25, 25, 50}));
    // One value: one bin around it. No interquartile range: Sturges' count.
    std::vector<double> one{7};
    EXPECT_EQ(BinEdges(one, 7, 7).size(), 2u);
    std::vector<double> tied(100, 5.0);
    tied.push_back(9);
    EXPECT_GE(BinEdges(tied, 5, 9).size(), 6u);
}

TEST(PlotBins, ThinnedRanksKeepTheTails) {
    EXPECT_EQ(ThinnedRanks(5).size(), 5u);
    const std::vector<std::size_t> ranks = ThinnedRanks(80000);
    ASSERT_LE(ranks.size(), 3000u);
    EXPECT_GT(ranks.size(), 2900u);
    EXPECT_TRUE(std::is_sorted(ranks.begin(), ranks.end()));
    EXPECT_EQ(std::adjacent_find(ranks.begin(), ranks.end()), ranks.end());
    for (std::size_t i = 0; i < 250; ++i) {
        EXPECT_EQ(ranks[i], i);
        EXPECT_EQ(ranks[ranks.size() - 1 - i], 80000 - 1 - i);
    }
}

TEST(PlotFileNames, SafeOnEveryFileSystem) {
    struct Case {
        const char* Text;
        const char* Safe;
    } cases[] = {
        {"1_20-29", "1_20-29"},
        {"男性", "男性"},
        {"a/b\\c:d*e?f\"g<h>i|j", "a_b_c_d_e_f_g_h_i_j"},
        {"tab\there\x01", "tab_here_"},
        {"CON", "_CON"},
        {"con.txt", "_con.txt"},
        {"Nul", "_Nul"},
        {"AUX .x", "_AUX .x"},
        {"COM1", "_COM1"},
        {"lpt9", "_lpt9"},
        {"LPT\xC2\xB9", "_LPT\xC2\xB9"},
        {"COM10", "COM10"},
        {"CONSOLE", "CONSOLE"},
        {"dots...", "dots"},
        {"spaces  ", "spaces"},
        {" . ", "_"},
        {"", "_"},
        {".hidden", "_hidden"},
        {"..", "_"},
        {"bad\xFF\xFEutf8", "bad__utf8"},
    };
    for (const Case& c : cases) EXPECT_EQ(SafeFileName(c.Text), c.Safe) << c.Text;
    // Long names are cut at a character boundary.
    std::string longName;
    for (int i = 0; i < 60; ++i) longName += "栄";
    const std::string cut = SafeFileName(longName);
    EXPECT_LE(cut.size(), 100u);
    EXPECT_EQ(cut.size() % 3, 0u);
    EXPECT_EQ(Utf8ToCp932(cut).find('?'), std::string::npos);
}

TEST(PlotFileNames, CoincidingNamesStayApart) {
    TFileNamer names;
    EXPECT_EQ(names.Unique("a"), "a");
    EXPECT_EQ(names.Unique("A"), "A~2");
    EXPECT_EQ(names.Unique("a~2"), "a~2~2");
    EXPECT_EQ(names.Unique("a"), "a~3");
    // Full-width letters have case on Windows too.
    EXPECT_EQ(names.Unique("ＡＢ"), "ＡＢ");
    EXPECT_EQ(names.Unique("ａｂ"), "ａｂ~2");
    // Texts that differ only where the file system cannot show them.
    TGroupHeading slash = Heading("a/b"), colon = Heading("a:b");
    EXPECT_EQ(names.Unique(GroupFileBase(slash)), "a_b");
    EXPECT_EQ(names.Unique(GroupFileBase(colon)), "a_b~2");
    // Empty texts, no classification.
    TGroupHeading empty = Heading("");
    EXPECT_EQ(GroupFileBase(empty), "空欄");
    TGroupHeading none;
    EXPECT_EQ(GroupFileBase(none), "全体");
}

TEST(PlotTexts, CandidatesAndMethods) {
    std::vector<std::string> labels;
    for (int k = 0; k < TAnova1Way::Candidates; ++k) labels.push_back(CandidateLabel(k));
    EXPECT_EQ(labels,
              (std::vector<std::string>{"log", "2",    "1",   "2/3",  "1/2",  "2/5",  "1/3",
                                        "2/7", "1/4",  "2/9", "1/5",  "2/11", "1/6",  "2/13",
                                        "1/7", "2/15", "1/8", "2/17", "1/9",  "2/19", "1/10"}));
    const TGroupResult best = Estimated(Survey(60));
    EXPECT_EQ(MethodText(best),
              "最良べき乗変換：" + (best.ChosenCandidate == 0
                                        ? std::string("対数変換")
                                        : "べき数 " + CandidateLabel(best.ChosenCandidate)));
    EXPECT_EQ(MethodText(Estimated(Survey(20), Normalize::GivenPower)), "べき数指定：べき数 0.5");
    EXPECT_EQ(HeadingText(Heading()), "エネルギー　[性別=1]");
    TGroupHeading nameless;
    EXPECT_EQ(HeadingText(nameless), "分析変数");
}

TEST(PlotFigures, HistogramSharesAndCutOffs) {
    const TGroupResult r = Estimated(Survey(300), Normalize::BestPower, "1800 2500-");
    ASSERT_TRUE(r.HabitualShown);
    const TFigure f = HistogramFigure(r, {});
    const TSeries* daily = FindSeries(f, "daily-histogram");
    const TSeries* habit = FindSeries(f, "habit-histogram");
    ASSERT_TRUE(daily && habit);
    double dailyTotal = 0, habitTotal = 0;
    for (double h : daily->Y) dailyTotal += h;
    for (double h : habit->Y) habitTotal += h;
    EXPECT_NEAR(dailyTotal, 100, 1e-9);
    EXPECT_NEAR(habitTotal, 100, 1e-9);
    EXPECT_EQ(daily->X, habit->X); // shared bins
    const TPanel& p = f.Panels[0];
    ASSERT_EQ(p.Markers.size(), 2u);
    // Beside each line its limit as the report writes it, and both shares.
    EXPECT_EQ(p.Markers[0].X, 1800);
    EXPECT_EQ(p.Markers[0].Labels[0], "1800以上");
    char daily1[32], habit1[32];
    std::snprintf(daily1, sizeof daily1, "1日 %.1f%%", r.Shares[0].Daily);
    std::snprintf(habit1, sizeof habit1, "習慣 %.1f%%", r.Shares[0].Habit);
    EXPECT_EQ(p.Markers[0].Labels[1], daily1);
    EXPECT_EQ(p.Markers[0].Labels[2], habit1);
    EXPECT_EQ(p.Markers[1].Labels[0], "2500未満");
    EXPECT_LE(p.X.Min, daily->X.front());
    EXPECT_GE(p.X.Max, daily->X.back());
}

TEST(PlotFigures, CumulativeCurvesAndBand) {
    const TGroupResult r = Estimated(Survey(200), Normalize::BestPower, "99999");
    TBands bands;
    TPercentileBand band;
    for (int p = 0; p <= 100; ++p) {
        band.Lower[p] = r.PctHabit[p] * 0.9;
        band.Upper[p] = r.PctHabit[p] * 1.1;
    }
    bands.Habit = band;
    const TFigure f = CumulativeFigure(r, {}, bands);
    const TSeries* curve = FindSeries(f, "habit-cdf");
    ASSERT_TRUE(curve);
    EXPECT_EQ(curve->X, std::vector<double>(r.PctHabit.begin(), r.PctHabit.end()));
    EXPECT_EQ(curve->Y[50], 50);
    const TSeries* area = FindSeries(f, "habit-band");
    ASSERT_TRUE(area);
    EXPECT_EQ(area->X, std::vector<double>(band.Lower.begin(), band.Lower.end()));
    EXPECT_EQ(area->X2, std::vector<double>(band.Upper.begin(), band.Upper.end()));
    EXPECT_EQ(area->Label, "習慣摂取量の95% 信頼区間");
    EXPECT_TRUE(FindSeries(f, "habit-band-lower") && FindSeries(f, "habit-band-upper"));
    EXPECT_FALSE(FindSeries(f, "daily-band"));
    // The axis spans the band; a cut-off far beyond the data does not widen it.
    EXPECT_LE(f.Panels[0].X.Min, band.Lower[0]);
    EXPECT_GE(f.Panels[0].X.Max, band.Upper[100]);
    EXPECT_LT(f.Panels[0].X.Max, 99999);
    EXPECT_TRUE(f.Panels[0].Markers.empty());
    // No band for a side the report does not show.
    TGroupResult hidden = r;
    hidden.HabitualShown = false;
    EXPECT_FALSE(FindSeries(CumulativeFigure(hidden, {}, bands), "habit-band"));
    // Without intervals from the run, no band.
    EXPECT_FALSE(FindSeries(GroupFigures(r, {}).Cumulative, "habit-band"));

    // The run's intervals become the bands: the limits of every percentile
    // at the run's level, the habitual side only when some replicate had a
    // habitual distribution.
    TGroupResult run = r;
    TGroupIntervals iv;
    iv.Replicates = 200;
    iv.Level = 90;
    for (std::size_t p = 0; p <= 100; ++p) {
        iv.Daily.Pct[p] = {r.PctDaily[p] - 2, r.PctDaily[p] + 2, 1};
        iv.Habit.Pct[p] = {r.PctHabit[p] - 1, r.PctHabit[p] + 1, 0.5};
    }
    run.Intervals = iv;
    const TFigure withBands = GroupFigures(run, {}).Cumulative;
    const TSeries* habitBand = FindSeries(withBands, "habit-band");
    const TSeries* dailyBand = FindSeries(withBands, "daily-band");
    ASSERT_TRUE(habitBand && dailyBand);
    EXPECT_EQ(habitBand->X[37], r.PctHabit[37] - 1);
    EXPECT_EQ(habitBand->X2[37], r.PctHabit[37] + 1);
    EXPECT_EQ(dailyBand->X2[100], r.PctDaily[100] + 2);
    EXPECT_EQ(habitBand->Label, "習慣摂取量の90% 信頼区間");
    iv.Failed = iv.Replicates;
    run.Intervals = iv;
    const TFigure failed = GroupFigures(run, {}).Cumulative;
    EXPECT_FALSE(FindSeries(failed, "habit-band"));
    EXPECT_TRUE(FindSeries(failed, "daily-band"));
}

TEST(PlotFigures, NormalPlotOfALargeGroup) {
    const TGroupResult r = Estimated(Survey(40000));
    ASSERT_EQ(r.TransformedValues.size(), 80000u);
    const TFigure f = NormalFigure(r);
    const TSeries* points = FindSeries(f, "normal-points");
    ASSERT_TRUE(points);
    EXPECT_LE(points->X.size(), 3000u);
    EXPECT_EQ(points->Y.front(), r.TransformedValues.front());
    EXPECT_EQ(points->Y.back(), r.TransformedValues.back());
    EXPECT_TRUE(HasNote(f, "80000 点のうち"));
    EXPECT_TRUE(FindSeries(f, "normal-fit"));
    const TPanel* candidates = FindPanel(f, "candidates");
    ASSERT_TRUE(candidates);
    EXPECT_EQ(candidates->Y.Ticks.size(), 21u);
    const TSeries* chosen = FindSeries(f, "chosen-r2");
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->X[0], r.CandidateRSquare[static_cast<std::size_t>(r.ChosenCandidate)]);
    // No candidates but under the best power.
    EXPECT_FALSE(FindPanel(NormalFigure(Estimated(Survey(30), Normalize::Log)), "candidates"));
    // Every SVG of the group stays small.
    const TGroupFigures all = GroupFigures(r, {});
    for (const TFigure* fig : {&all.Histogram, &all.Cumulative, &all.Normal})
        EXPECT_LT(SvgDocument(LayOut(*fig)).size(), 300u * 1024) << fig->Id;
}

// Results a figure cannot show in full: each figure still draws, says what
// it leaves out, and writes only numbers.
TEST(PlotFigures, ResultsThatCannotBeShownInFull) {
    auto singles = [](std::vector<double> v) { return test::Singles(v); };
    TGroupResult noValues = Estimated(Survey(30));
    noValues.DailyValues.clear();
    noValues.HabitValues.clear();
    noValues.TransformedValues.clear();
    noValues.NormalScores.clear();
    TGroupResult notNumbers = Estimated(Survey(30));
    notNumbers.DailyValues[3] = NaN;
    notNumbers.TransformedValues.back() = NaN;
    notNumbers.PctDaily[100] = Inf;
    notNumbers.PctHabit.fill(NaN);
    TGroupHeading blank;
    blank.ClassLine = true;
    blank.ClassNames[0] = "";
    struct Case {
        const char* Name;
        TGroupResult Result;
        bool LogAxis;
        const char* Note; // in one of the figures' notes; "" for none asked
    } cases[] = {
        {"one value", Estimated({{"a", {5}}, {"b", {5}}}), false,
         "習慣摂取量の分布は推定できません"},
        {"all equal", Estimated({{"a", {5, 5}}, {"b", {5, 5}}}), false, "推定できません"},
        {"one day each", Estimated(singles({1, 2, 3, 4, 5})), false, "個人内分散がゼロ"},
        {"infinite values", Estimated({{"a", {1, Inf}}, {"b", {2, 3}}, {"c", {-Inf, 4}}}), false,
         "数でない"},
        {"negative under a log axis",
         Estimated({{"a", {-3, 2}}, {"b", {0, 5}}, {"c", {4, 6}}}, Normalize::None), true,
         "対数軸に描けません"},
        {"log of negative values", Estimated({{"a", {-3, -2}}, {"b", {-1, -5}}}, Normalize::Log),
         false, "数でない変換後の値"},
        {"all zero under a log axis", Estimated({{"a", {0, 0}}, {"b", {0, 0}}}), true, ""},
        {"no values handed over", noValues, false, ""},
        {"values that are not numbers", notNumbers, true, "数でない"},
        {"empty heading", Estimated(Survey(10), Normalize::BestPower, "10", blank), false, ""},
        {"huge values", Estimated({{"a", {1e300, 1e-300}}, {"b", {1.7e308, 2}}}, Normalize::None),
         false, ""},
    };
    for (const Case& c : cases) {
        TPlotOptions options;
        options.LogAxis = c.LogAxis;
        const TGroupFigures figures = GroupFigures(c.Result, options);
        bool noted = *c.Note == 0;
        for (const TFigure* f : {&figures.Histogram, &figures.Cumulative, &figures.Normal}) {
            ASSERT_FALSE(f->Panels.empty()) << c.Name;
            noted = noted || HasNote(*f, c.Note);
            const std::string svg = SvgDocument(LayOut(*f));
            EXPECT_TRUE(PrintsOnlyNumbers(svg)) << c.Name << " " << f->Id;
            EXPECT_LT(svg.size(), 300u * 1024) << c.Name;
            for (const TPanel& p : f->Panels)
                EXPECT_TRUE(!p.Empty.empty() || (std::isfinite(p.X.Min) && p.X.Max > p.X.Min &&
                                                 std::isfinite(p.Y.Min) && p.Y.Max > p.Y.Min))
                    << c.Name << " " << f->Id << " " << p.Id;
        }
        EXPECT_TRUE(noted) << c.Name << ": " << c.Note;
    }
}

TEST(PlotSvg, EscapesTextAndKeepsThePointWhateverTheLocale) {
    EXPECT_EQ(XmlEscaped("a<b>&\"c\""), "a&lt;b&gt;&amp;&quot;c&quot;");
    EXPECT_EQ(XmlEscaped("x\x01y"), "x\xEF\xBF\xBDy");
    EXPECT_EQ(XmlEscaped("\xE6\xA0"), "\xEF\xBF\xBD\xEF\xBF\xBD"); // a cut character
    EXPECT_EQ(XmlEscaped("栄養"), "栄養");

    const TGroupResult r = Estimated(Survey(50), Normalize::BestPower, "2000.5");
    const std::string before = SvgDocument(LayOut(CumulativeFigure(r, {})));
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE.UTF-8 locale";
    const std::string after = SvgDocument(LayOut(CumulativeFigure(r, {})));
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_EQ(before, after);
    EXPECT_NE(before.find("2000.5以上"), std::string::npos);
}

TEST(PlotFolder, FilesPerGroupAndTheIndex) {
    test::TempFolder folder;
    TPlotFolder writer(folder.Path, {}, true, [](const TScene&, std::string& bytes) {
        bytes = "PNG";
        return true;
    });
    // Two groups whose texts make the same file name.
    ASSERT_TRUE(writer.Add(Estimated(Survey(20), Normalize::BestPower, "", Heading("a/b"))));
    ASSERT_TRUE(writer.Add(Estimated(Survey(20, 2), Normalize::BestPower, "", Heading("a:b"))));
    ASSERT_TRUE(writer.Finish());
    std::vector<std::string> names = folder.Entries();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{
                  "a_b_cumulative.png", "a_b_cumulative.svg", "a_b_histogram.png",
                  "a_b_histogram.svg", "a_b_normal.png", "a_b_normal.svg", "a_b~2_cumulative.png",
                  "a_b~2_cumulative.svg", "a_b~2_histogram.png", "a_b~2_histogram.svg",
                  "a_b~2_normal.png", "a_b~2_normal.svg", "index.html"}));
    const std::string index = test::TempFile::ReadFile(folder.Path + "/index.html");
    EXPECT_NE(index.find("分類変数：[性別=a/b]"), std::string::npos);
    EXPECT_NE(index.find("分類変数：[性別=a:b]"), std::string::npos);
    EXPECT_NE(index.find("href=\"a_b~2_normal.svg\""), std::string::npos);
    EXPECT_EQ(writer.FilesWritten(), 13u);
}

TEST(PlotFolder, StopsAtAFileThatCannotBeWritten) {
    test::TempFolder folder;
    // A folder where the first file should go.
    const std::filesystem::path blocker = test::FsPath(folder.Path + "/1_histogram.svg");
    ASSERT_TRUE(std::filesystem::create_directory(blocker));
    TPlotFolder writer(folder.Path, {}, true, nullptr);
    EXPECT_FALSE(writer.Add(Estimated(Survey(20))));
    EXPECT_EQ(writer.FailedPath(), folder.Path + "/1_histogram.svg");
    EXPECT_FALSE(writer.Add(Estimated(Survey(20))));
    EXPECT_FALSE(writer.Finish());
    std::filesystem::remove(blocker);
    // An encoder that fails is a file not written.
    TPlotFolder png(folder.Path, {}, false, [](const TScene&, std::string&) { return false; });
    EXPECT_FALSE(png.Add(Estimated(Survey(20))));
    EXPECT_EQ(png.FailedPath(), folder.Path + "/1_histogram.png");
}
