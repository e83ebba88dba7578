// The intervals and notices in the results: the plain report's lines stay as they
// are and the additions follow them; runs that can be stopped add nothing
// when stopped; the same seed gives the same document with any threads.
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "engine/Encoding.h"
#include "engine/LineFormat.h"
#include "engine/PlotCriticalValues.h"
#include "engine/Random.h"
#include "engine/ReliabilityNotices.h"
#include "report/Report.h"
#include "tests/support/GroupFixture.h"
#include "tests/support/TempFile.h"

using namespace habitual;
using namespace habitual::test;

namespace {

// Two groups (性別 1 and 2) of persons with one or two days of log-normal
// intakes; group 2 has persons of one day only when oneDayGroup.
std::string Survey(int persons, bool oneDayGroup = false) {
    TXoshiro256 random(persons);
    std::string text = "ID,性別,値\n";
    for (int p = 0; p < persons; ++p) {
        const int sex = 1 + p % 2;
        const double level = 5 + 0.3 * (random.Uniform() - 0.5);
        const int days = oneDayGroup && sex == 2 ? 1 : 1 + static_cast<int>(random.Below(2));
        for (int d = 0; d < days; ++d) {
            const double v = std::exp(level + 0.6 * (random.Uniform() - 0.5));
            text += std::to_string(p) + "," + std::to_string(sex) + "," +
                    std::to_string(std::round(v * 10) / 10) + "\n";
        }
    }
    return text;
}

struct TRun {
    TRunStatus Status;
    std::vector<std::string> Lines; // UTF-8
    std::vector<TGroupResult> Results;
    std::vector<TNotice> Notices;
};

TRun RunSurvey(const std::string& survey, int outType, TRunOptions options,
               const std::string& cutOffs = "130- 150") {
    TempFile file(Utf8ToCp932(survey));
    TAnalysisSettings s;
    s.FileName = file.Path;
    s.IdColumns[0] = 0;
    s.ClassColumns[0] = 1;
    s.NutrientColumn = 2;
    s.CutOffText = cutOffs;
    s.OutType = outType;
    TRun run;
    options.GroupDone = [&run](TGroupResult r) { run.Results.push_back(std::move(r)); };
    options.Notice = [&run](TNotice n) { run.Notices.push_back(std::move(n)); };
    TMemoryResultLines document;
    document.Add("earlier");
    run.Status = RunReport(s, document, options);
    for (const std::string& line : document.Lines) {
        EXPECT_LE(line.size(), LineLimit);
        run.Lines.push_back(Cp932ToUtf8(line));
    }
    return run;
}

TRunOptions Bootstrap(int replicates, int threads = 0, std::uint64_t seed = 7) {
    TRunOptions o;
    o.Bootstrap.Replicates = replicates;
    o.Bootstrap.Threads = threads;
    o.Bootstrap.Seed = seed;
    return o;
}

// Columns in the fixed-pitch view: two for a double-byte character.
std::size_t Columns(const std::string& utf8) {
    const std::string cp932 = Utf8ToCp932(utf8);
    std::size_t columns = 0;
    for (std::size_t i = 0; i < cp932.size(); ++i, ++columns)
        if (IsCp932LeadByte(static_cast<unsigned char>(cp932[i]))) ++i, ++columns;
    return columns;
}

std::string Line(const std::string& utf8Format, std::initializer_list<TFormatArg> args) {
    return Cp932ToUtf8(FormatLine(Utf8ToCp932(utf8Format), args));
}

// text in double quotes (appended piece by piece: GCC 12 warns wrongly
// about "\"" + text).
std::string Quoted(const std::string& text) {
    std::string quoted(1, '"');
    quoted += text;
    quoted += '"';
    return quoted;
}

std::string Key(std::size_t n) {
    std::string key = "p";
    key += std::to_string(n);
    return key;
}

bool StartsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

// Checks that with holds the lines of plain in order, and gives the lines
// with has in addition before each line groupEnd of plain.
std::vector<std::vector<std::string>> AdditionsBefore(const std::vector<std::string>& plain,
                                                      const std::vector<std::string>& with,
                                                      const std::string& groupEnd) {
    std::vector<std::vector<std::string>> added;
    std::size_t j = 0;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        if (plain[i] == groupEnd) {
            added.emplace_back();
            while (j < with.size() && with[j] != plain[i]) added.back().push_back(with[j++]);
        }
        EXPECT_LT(j, with.size());
        if (j >= with.size()) break;
        EXPECT_EQ(with[j], plain[i]) << "line " << i;
        ++j;
    }
    return added;
}

} // namespace

TEST(IntervalReport, TheBlockFollowsTheCutOffLinesOfTheStandardReport) {
    const std::string survey = Survey(160);
    const TRun plain = RunSurvey(survey, OutForm::Standard, {});
    const TRun with = RunSurvey(survey, OutForm::Standard, Bootstrap(200));
    ASSERT_TRUE(plain.Status.Ok() && with.Status.Ok());
    // The blocks stand before the empty line that ends each group.
    const auto blocks = AdditionsBefore(plain.Lines, with.Lines, "");
    ASSERT_EQ(blocks.size(), 2u);
    ASSERT_EQ(with.Results.size(), 2u);
    for (std::size_t g = 0; g < 2; ++g) {
        const std::vector<std::string>& block = blocks[g];
        const TGroupResult& r = with.Results[g];
        ASSERT_TRUE(r.Intervals);
        const TGroupIntervals& iv = *r.Intervals;
        ASSERT_GT(block.size(), 20u);
        EXPECT_EQ(block[0], "------------------------------------------------");
        EXPECT_EQ(block[1],
                  Line("信頼区間（ブートストラップ・パーセンタイル法）　反復 %d回　乱数シー"
                       "ド %s　信頼水準 %d%%",
                       {200, "7", 95}));
        std::string failed;
        AppendGeneral(failed, 100 * iv.FailedShare());
        EXPECT_EQ(block[2],
                  Line("習慣摂取量を推定できなかった反復 %d回（%s%%）", {iv.Failed, failed}));
        EXPECT_EQ(block[3], "最良べき数の選ばれた回数（反復のうち）");
        // A line per power chosen, then the table: its header, the 11
        // percentiles, the mean, the SD and the 2 cut-offs.
        int chosen = 0;
        for (std::int32_t count : iv.CandidateCounts) chosen += count > 0;
        ASSERT_EQ(block.size(), 4u + chosen + 1 + 11 + 2 + 2);
        const std::string& header = block[4 + chosen];
        EXPECT_TRUE(StartsWith(header, "　　　統計量")) << header;
        const std::string& median = block[4 + chosen + 6];
        EXPECT_EQ(median,
                  Line("　　　 50%%点 %16lf %16lf %16lf %16lf %16lf %16lf",
                       {iv.Daily.Pct[50].Lower, iv.Daily.Pct[50].Upper, iv.Daily.Pct[50].SE,
                        iv.Habit.Pct[50].Lower, iv.Habit.Pct[50].Upper, iv.Habit.Pct[50].SE}));
        EXPECT_EQ(Columns(header), Columns(median));
        EXPECT_EQ(block.back(), Line("%7lg以上%% %15lf%% %15lf%% %15lf%% %15lf%% %15lf%% %15lf%%",
                                     {150.0, iv.Daily.Shares[1].Lower, iv.Daily.Shares[1].Upper,
                                      iv.Daily.Shares[1].SE, iv.Habit.Shares[1].Lower,
                                      iv.Habit.Shares[1].Upper, iv.Habit.Shares[1].SE}));
        EXPECT_EQ(Columns(block.back()), Columns(median));
        // Limits around the estimates; all 101 percentiles have intervals.
        EXPECT_LE(iv.Habit.Pct[50].Lower, r.PctHabit[50]);
        EXPECT_GE(iv.Habit.Pct[50].Upper, r.PctHabit[50]);
        for (const TInterval& p : iv.Habit.Pct) EXPECT_LE(p.Lower, p.Upper);
        EXPECT_GT(iv.Habit.Pct[37].SE, 0);
    }
    // The document before the run stays first.
    EXPECT_EQ(with.Lines.front(), "earlier");
}

TEST(IntervalReport, TheSummaryAddsRowsOfLimitsAfterTheHabitualRow) {
    const std::string survey = Survey(160);
    const TRun plain = RunSurvey(survey, OutForm::CsvSummary, {});
    const TRun with = RunSurvey(survey, OutForm::CsvSummary, Bootstrap(150, 1, 3));
    // The additions follow each group's habitual row.
    std::vector<std::string> ends;
    for (const std::string& line : plain.Lines)
        if (StartsWith(line, "\"習慣\"")) ends.push_back(line);
    ASSERT_EQ(ends.size(), 2u);
    std::size_t group = 0;
    for (std::size_t i = 0; i < with.Lines.size(); ++i) {
        if (with.Lines[i] != ends[std::min<std::size_t>(group, 1)]) continue;
        const TGroupIntervals& iv = *with.Results[group].Intervals;
        const std::vector<std::string> labels{"１日下限", "１日上限", "習慣下限", "習慣上限"};
        for (std::size_t k = 0; k < 4; ++k) {
            const std::string& row = with.Lines[i + 1 + k];
            EXPECT_TRUE(StartsWith(row, Quoted(labels[k]))) << row;
            EXPECT_EQ(std::count(row.begin(), row.end(), ','), 17) << row;
        }
        std::string upper;
        AppendGeneral(upper, iv.Habit.Pct[90].Upper);
        EXPECT_NE(with.Lines[i + 4].find("," + upper + ","), std::string::npos);
        std::string share;
        AppendGeneral(share, iv.Daily.Shares[0].Lower);
        EXPECT_NE(with.Lines[i + 1].find(",\"" + share + "%\","), std::string::npos);
        EXPECT_TRUE(
            StartsWith(with.Lines[i + 5], "\"信頼区間（ブートストラップ・パーセンタイル法）"));
        ++group;
    }
    EXPECT_EQ(group, 2u);
    // Without the option every line is the plain run's.
    std::vector<std::string> kept;
    for (const std::string& line : with.Lines)
        if (!StartsWith(line, "\"１日下限") && !StartsWith(line, "\"１日上限") &&
            !StartsWith(line, "\"習慣下限") && !StartsWith(line, "\"習慣上限") &&
            !StartsWith(line, "\"信頼区間"))
            kept.push_back(line);
    EXPECT_EQ(kept, plain.Lines);
}

TEST(IntervalReport, NoIntervalsWhereTheGroupHasNoHabitualDistribution) {
    const std::string survey = Survey(120, true);
    for (int outType : {OutForm::Standard, OutForm::CsvSummary, OutForm::CsvData}) {
        const TRun plain = RunSurvey(survey, outType, {});
        const TRun with = RunSurvey(survey, outType, Bootstrap(100));
        ASSERT_EQ(with.Results.size(), 2u);
        EXPECT_TRUE(with.Results[0].Intervals);
        EXPECT_FALSE(with.Results[1].Intervals); // persons of one day only
        if (outType == OutForm::CsvData) {
            EXPECT_EQ(with.Lines, plain.Lines);
        }
    }
}

TEST(IntervalReport, NoticesGoIntoTheDocumentOnlyWhenAsked) {
    // 40 persons per group: fewer than 50, and fewer than 30 of them with
    // two days.
    const std::string survey = Survey(80);
    for (int outType : {OutForm::Standard, OutForm::CsvSummary, OutForm::CsvData}) {
        const TRun plain = RunSurvey(survey, outType, {});
        TRunOptions asked;
        asked.NoticesInDocument = true;
        const TRun with = RunSurvey(survey, outType, asked);
        ASSERT_EQ(plain.Notices.size(), with.Notices.size());
        ASSERT_GE(plain.Notices.size(), 4u);
        EXPECT_EQ(plain.Notices[0].Group, "[性別=1]");
        EXPECT_NE(plain.Notices[0].Text.find("50人未満"), std::string::npos);
        std::vector<std::string> noticeLines;
        for (const std::string& line : with.Lines)
            if (line.find("※注意：") != std::string::npos) noticeLines.push_back(line);
        ASSERT_EQ(noticeLines.size(), with.Notices.size()) << outType;
        const std::string notice = "※注意：" + with.Notices[0].Text;
        EXPECT_EQ(noticeLines[0], outType == OutForm::Standard ? notice : Quoted(notice));
        EXPECT_EQ(with.Results[0].Notices.size() + with.Results[1].Notices.size(),
                  with.Notices.size());
        for (const std::string& line : plain.Lines)
            EXPECT_EQ(line.find("※注意："), std::string::npos);
        // The notices stand at the end of their group: in the standard
        // report before its empty line.
        if (outType == OutForm::Standard) {
            const auto at = std::find(with.Lines.begin(), with.Lines.end(), noticeLines[0]);
            const auto end = std::find(at, with.Lines.end(), "");
            EXPECT_TRUE(std::all_of(at, end, [](const std::string& l) {
                return StartsWith(l, "※注意：") || StartsWith(l, "※参考：");
            }));
        }
    }
}

TEST(IntervalRun, AStoppedRunAddsNothing) {
    const std::string survey = Survey(160);
    int calls = 0;
    TRunOptions o = Bootstrap(5000);
    o.Bootstrap.Progress = [&calls](double done) {
        EXPECT_GE(done, 0);
        EXPECT_LE(done, 1);
        return ++calls < 3;
    };
    const TRun stopped = RunSurvey(survey, OutForm::Standard, o);
    EXPECT_EQ(stopped.Status.Error, TRunError::Cancelled);
    EXPECT_EQ(stopped.Lines, std::vector<std::string>{"earlier"});
    EXPECT_TRUE(stopped.Notices.empty());

    // Not stopped, the progress reaches the whole run.
    std::vector<double> seen;
    o = Bootstrap(100);
    o.Bootstrap.Progress = [&seen](double done) {
        seen.push_back(done);
        return true;
    };
    const TRun done = RunSurvey(survey, OutForm::Standard, o);
    ASSERT_TRUE(done.Status.Ok());
    EXPECT_EQ(done.Lines, RunSurvey(survey, OutForm::Standard, Bootstrap(100)).Lines);
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 1.0);
}

TEST(IntervalRun, SameSeedSameDocumentWithAnyThreads) {
    const std::string survey = Survey(200);
    const TRun one = RunSurvey(survey, OutForm::Standard, Bootstrap(120, 1, 42));
    const TRun two = RunSurvey(survey, OutForm::Standard, Bootstrap(120, 2, 42));
    const TRun other = RunSurvey(survey, OutForm::Standard, Bootstrap(120, 2, 43));
    EXPECT_EQ(one.Lines, two.Lines);
    EXPECT_NE(one.Lines, other.Lines);
}

TEST(Notices, ThresholdsFromTheLiterature) {
    // Persons of two days each unless said otherwise. (The advice on the
    // normal plot is left aside here: zeros and negative values bend it.)
    auto group = [](int persons, int repeaters, int zeros, bool negative) {
        std::vector<PersonValues> list;
        TXoshiro256 random(persons * 1000 + repeaters);
        for (int p = 0; p < persons; ++p) {
            PersonValues person{Key(1000 + static_cast<std::size_t>(p)), {}};
            const int days = p < repeaters ? 2 : 1;
            for (int d = 0; d < days; ++d) person.Values.push_back(50 + 10 * random.Uniform());
            list.push_back(person);
        }
        for (int z = 0; z < zeros; ++z) list[static_cast<std::size_t>(z)].Values[0] = 0;
        if (negative) list[1].Values[0] = -1;
        return list;
    };
    struct Case {
        const char* Name;
        std::vector<PersonValues> Persons;
        std::vector<std::string> Expected; // a fragment of each notice, in order
        int HendoMode = Hendo::Estimated;
    } cases[] = {
        {"large", group(200, 200, 0, false), {}},
        {"49 persons", group(49, 49, 0, false), {"人数が49人で、50人未満"}},
        {"50 persons", group(50, 50, 0, false), {}},
        {"29 repeaters", group(100, 29, 0, false), {"複数日調査の人数が29人で、30人未満"}},
        {"30 repeaters", group(100, 30, 0, false), {}},
        {"9 repeaters", group(100, 9, 0, false), {"複数日調査の人数が9人で、10人未満"}},
        {"9 repeaters, given variance", group(100, 9, 0, false), {}, Hendo::WithinGiven},
        // 200 persons of 2 days: 400 days; 40 zeros are 10 %, 41 more.
        {"10 % zeros", group(200, 200, 40, false), {}},
        {"over 10 % zeros", group(200, 200, 41, false), {"0の日がデータの10.2%"}},
        {"a negative value", group(200, 200, 0, true), {"負の値が1件"}},
    };
    for (const Case& c : cases) {
        TTestGroup ctx;
        FillGroup(ctx, c.Persons);
        TAnalysisSettings s;
        s.NormalizeMethod =
            c.HendoMode == Hendo::Estimated ? Normalize::None : Normalize::GivenPower;
        s.PowerText = "1";
        s.HendoMode = c.HendoMode;
        s.VWText = "5";
        EstimateGroup(ctx, s);
        std::vector<TNotice> notices = GroupNotices(ctx, s, nullptr);
        notices.erase(
            std::remove_if(notices.begin(), notices.end(),
                           [](const TNotice& n) { return n.Level == TNotice::TLevel::Info; }),
            notices.end());
        ASSERT_EQ(notices.size(), c.Expected.size()) << c.Name;
        for (std::size_t i = 0; i < notices.size(); ++i) {
            EXPECT_NE(notices[i].Text.find(c.Expected[i]), std::string::npos)
                << c.Name << ": " << notices[i].Text;
            EXPECT_EQ(notices[i].Level, TNotice::TLevel::Warning);
        }
    }
}

TEST(Notices, TheNormalPlotAndTheBootstrap) {
    // Two clusters of values: the plot of 200 values bends far below the
    // critical value; an advice, not a warning.
    std::vector<double> values;
    for (int i = 0; i < 200; ++i) values.push_back(i % 2 ? 10 + i * 0.001 : 100 + i * 0.001);
    TTestGroup ctx;
    std::vector<PersonValues> persons;
    for (std::size_t i = 0; i < values.size(); i += 2)
        persons.push_back({Key(1000 + i), {values[i], values[i + 1]}});
    FillGroup(ctx, persons);
    TAnalysisSettings s;
    s.NormalizeMethod = Normalize::None;
    EstimateGroup(ctx, s);
    TGroupIntervals iv;
    iv.Replicates = 1000;
    iv.Failed = 51;
    std::vector<TNotice> notices = GroupNotices(ctx, s, &iv);
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0].Level, TNotice::TLevel::Info);
    EXPECT_NE(notices[0].Text.find("正規確率プロット"), std::string::npos);
    EXPECT_NE(notices[1].Text.find("反復の5.1%"), std::string::npos);
    iv.Failed = 50;
    EXPECT_EQ(GroupNotices(ctx, s, &iv).size(), 1u);
    iv.Replicates = 249;
    notices = GroupNotices(ctx, s, &iv);
    ASSERT_EQ(notices.size(), 3u);
    EXPECT_NE(notices[2].Text.find("使えた反復が199回"), std::string::npos);
}

TEST(Notices, CriticalValuesAgreeWithThePublishedTable) {
    // Looney and Gulledge (1985), alpha = 0.05, as correlations; the table
    // is for this program's approximate normal scores, so within 0.005.
    const struct {
        int N;
        double R;
    } published[] = {{20, 0.951}, {30, 0.964}, {50, 0.977}, {100, 0.987}};
    for (const auto& p : published)
        EXPECT_NEAR(PlotRSquareCriticalValue(p.N), p.R * p.R, 0.005) << p.N;
    EXPECT_TRUE(std::isnan(PlotRSquareCriticalValue(2)));
    // Between the sizes of the table and beyond it the values rise with n.
    double previous = 0;
    for (std::int64_t n = 3; n <= 4000000; n = n * 5 / 4 + 1) {
        const double v = PlotRSquareCriticalValue(n);
        if (n > 4) {
            EXPECT_GE(v, previous) << n;
        }
        EXPECT_LT(v, 1);
        previous = v;
    }
}
