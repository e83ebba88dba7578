#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/Encoding.h"
#include "engine/LineFormat.h"
#include "engine/RunAnalysis.h"
#include "engine/RunData.h"
#include "engine/UserMessages.h"
#include "report/Report.h"
#include "tests/support/TempFile.h"

using namespace habitual;
using habitual::test::TempFile;

namespace {

// What the driver handed to the per-group analysis.
struct Handed {
    std::vector<std::string> Persons;
    std::vector<double> Values;
};

// Runs whose analysis collects into shared state take one group at a time.
TRunOptions OneByOne() {
    TRunOptions options;
    options.Threads = 1;
    return options;
}

// A per-group analysis that notes what it was handed.
TGroupAnalysis Recorder(std::vector<Handed>& handed) {
    return [&handed](TAnova1Way& ctx, const TAnalysisSettings&, TResultLines& lines, TGroupRun&) {
        Handed h;
        for (int i = 0; i < ctx.NData; ++i) {
            h.Persons.emplace_back(ctx.KeyText(ctx.Records[i].PersonKey));
            h.Values.push_back(ctx.Records[i].Value);
        }
        handed.push_back(h);
        lines.Add("<analysed " + std::to_string(ctx.NData) + ">");
    };
}

TAnalysisSettings Columns(const std::string& path, std::vector<int> ids, std::vector<int> classes,
                          int nutrient) {
    TAnalysisSettings s;
    s.FileName = path;
    for (std::size_t k = 0; k < ids.size(); ++k) s.IdColumns[k] = ids[k];
    for (std::size_t k = 0; k < classes.size(); ++k) s.ClassColumns[k] = classes[k];
    s.NutrientColumn = nutrient;
    return s;
}

std::vector<std::string> Utf8(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const auto& l : lines) out.push_back(Cp932ToUtf8(l));
    return out;
}

const std::string Rule(60, '=');

} // namespace

class Driver : public ::testing::Test {
protected:
    TRunStatus Run(const std::string& utf8Survey, const TAnalysisSettings& settings) {
        File.Write(Utf8ToCp932(utf8Survey));
        TAnalysisSettings s = settings;
        s.FileName = File.Path;
        return RunAnalysis(s, Document, Recorder(handed), OneByOne());
    }
    std::vector<Handed> handed;
    TempFile File{""};
    TMemoryResultLines Document;
};

TEST_F(Driver, GroupsInByteOrderOfTheClassificationKey) {
    const std::string survey = "ID,性別,年齢階級,値\n"
                               "1,1,20,5\n2,1,10,6\n3,2,20,7\n4,1,20,8\n5,1,,9\n";
    ASSERT_TRUE(Run(survey, Columns("", {0}, {1, 2}, 3)).Ok());
    EXPECT_EQ(Utf8(Document.Lines),
              (std::vector<std::string>{Rule, "分析変数：[値]", "分類変数：[性別=1][年齢階級=]",
                                        Rule, "分析変数：[値]", "分類変数：[性別=1][年齢階級=10]",
                                        Rule, "分析変数：[値]", "分類変数：[性別=1][年齢階級=20]",
                                        "<analysed 2>", Rule, "分析変数：[値]",
                                        "分類変数：[性別=2][年齢階級=20]"}));
    ASSERT_EQ(handed.size(), 1u);
    EXPECT_EQ(handed[0].Values.size(), 2u);
}

TEST_F(Driver, HeadingPieces) {
    struct Case {
        std::vector<int> Classes;
        std::string Heading; // empty: no classification line
    } cases[] = {
        {{}, ""},
        {{-1, 1}, "分類変数：[性別=1]"},
        {{0}, "分類変数：[ID=1]"},
        {{1, 2, 4}, "分類変数：[性別=1][年齢階級=20][地域=A]"},
        {{1, 5}, "分類変数：[性別=1]"}, // a column with an empty header text adds no piece
    };
    for (const Case& c : cases) {
        Document.Clear();
        ASSERT_TRUE(
            Run("ID,性別,年齢階級,値,地域,\n1,1,20,5,A,x\n", Columns("", {0}, c.Classes, 3)).Ok());
        std::vector<std::string> lines = Utf8(Document.Lines);
        if (c.Heading.empty()) {
            EXPECT_EQ(lines.size(), 2u);
        } else {
            ASSERT_EQ(lines.size(), 3u);
            EXPECT_EQ(lines[2], c.Heading);
        }
    }
}

TEST_F(Driver, RecordsCarryKeysAndValues) {
    const std::string survey = "a,b,c,v\n"
                               "1,2,x,12.5abc\n1,3,x,abc\n1,2,y,\n1,2\n\"1\",2,z,\"1,234\"\n";
    ASSERT_TRUE(Run(survey, Columns("", {0, 1}, {}, 3)).Ok());
    ASSERT_EQ(handed.size(), 1u);
    // By person, and a person's records by data row: rows 1, 3, 4 and 5 of
    // person 1-2, then row 2 of person 1-3.
    EXPECT_EQ(handed[0].Values, (std::vector<double>{12.5, 0, 0, 1, 0}));
    EXPECT_EQ(handed[0].Persons[0], "1\x01"
                                    "2\x01\x01");
    EXPECT_EQ(handed[0].Persons[3], "1\x01"
                                    "2\x01\x01");
    EXPECT_EQ(handed[0].Persons[4], "1\x01"
                                    "3\x01\x01");
}

TEST_F(Driver, HeaderOnlyWritesNothingAndRunsAddUp) {
    ASSERT_TRUE(Run("a,b\n\n", Columns("", {0}, {}, 1)).Ok());
    EXPECT_TRUE(Document.Lines.empty());
    ASSERT_TRUE(Run("a,b\n1,2\n", Columns("", {0}, {}, 1)).Ok());
    ASSERT_TRUE(Run("a,b\n1,2\n", Columns("", {0}, {}, 1)).Ok());
    EXPECT_EQ(Document.Lines.size(), 4u); // a single record: heading only, twice
    EXPECT_TRUE(handed.empty());
}

TEST_F(Driver, RejectsRunsItCannotDoFaithfully) {
    const std::string longText(253, 'k');
    struct Case {
        const char* Name;
        std::string Survey;
        TRunError Error;
        int RowNo;
        bool PersonKey;
    } cases[] = {
        {"no row", "\n \n", TRunError::NoRows, 0, true},
        {"long person key", "a,b,v\n1,1,1\n2," + longText + "x,1\n", TRunError::KeyTooLong, 2,
         true},
        {"long class key", "a,b,v\n1,1,1\n1,1,1\n3,3," + longText + "xyz\n", TRunError::KeyTooLong,
         3, false},
        {"separator in an ID", "a,b,v\n1,\x01,1\n", TRunError::SeparatorInText, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Document.Lines = {"kept"};
        TAnalysisSettings s = Columns("", {0, 1}, {2}, 2);
        const TRunStatus status = Run(c.Survey, s);
        EXPECT_EQ(status.Error, c.Error);
        EXPECT_EQ(status.RowNo, c.RowNo);
        EXPECT_EQ(status.PersonKey, c.PersonKey);
        EXPECT_EQ(Document.Lines, std::vector<std::string>{"kept"});
        EXPECT_FALSE(RunErrorMessage(status, File.Path).empty());
    }
    // A key of exactly 255 bytes (252 bytes of text and three separators) is fine.
    Document.Clear();
    EXPECT_TRUE(Run("a,b\n" + std::string(252, 'k') + ",1\n", Columns("", {0}, {}, 1)).Ok());
}

TEST_F(Driver, ColumnPositionsFarBeyondTheRowReadAsEmpty) {
    TAnalysisSettings s = Columns("", {0, 2147483647}, {-2147483647 - 1}, 2147483647);
    ASSERT_TRUE(Run("a,b\n1,2\n1,3\n", s).Ok());
    ASSERT_EQ(handed.size(), 1u);
    EXPECT_EQ(handed[0].Values, (std::vector<double>{0, 0}));
}

TEST_F(Driver, MissingFileOrFolder) {
    TMemoryResultLines lines;
    // The survey is read again when the run starts: a file removed after it
    // was loaded is missing too.
    auto removed = std::make_unique<TempFile>("id,v\n1,2\n");
    const std::string removedPath = removed->Path;
    removed.reset();
    for (const std::string& path :
         {std::string("/nonexistent/survey.csv"), std::string("/tmp"), removedPath}) {
        TAnalysisSettings s = Columns(path, {0}, {}, 1);
        const TRunStatus status = RunAnalysis(s, lines, Recorder(handed), OneByOne());
        EXPECT_EQ(status.Error, TRunError::CannotOpen);
        EXPECT_NE(RunErrorMessage(status, path).find("[" + path + "]を開けませんでした"),
                  std::string::npos);
    }
    EXPECT_EQ(lines.Count(), 0);
    EXPECT_TRUE(handed.empty());
}

TEST_F(Driver, LongColumnNamesAreCutAtACharacterBoundary) {
    std::string name;
    for (int i = 0; i < 100; ++i) name += "あ"; // 200 bytes in Shift-JIS
    ASSERT_TRUE(Run("id," + name + "\n1,2\n", Columns("", {0}, {1}, 1)).Ok());
    const std::string nutrientLine = Document.Lines[1];
    // "分析変数：[" is 11 bytes, then 63 characters (126 bytes) of the 127 allowed, then "]".
    EXPECT_EQ(nutrientLine.size(), 11u + 126u + 1u);
    EXPECT_EQ(Document.Lines[2].size(), 10u + 1u + 62u + 1u + 1u + 1u); // class name: 31 chars
}

TEST(KeyPart, TakesThePartBetweenSeparators) {
    const std::string key = "1\x01"
                            "20\x01"
                            "A";
    EXPECT_STREQ(KeyPart(key, 1), "1");
    EXPECT_STREQ(KeyPart(key, 2), "20");
    EXPECT_STREQ(KeyPart(key, 3), "A");
    EXPECT_STREQ(KeyPart(key, 4), "");
    EXPECT_STREQ(KeyPart("\x01x\x01", 1), "");
    EXPECT_STREQ(KeyPart("\x01x\x01", 2), "x");
}

// The results a run hands out per group say what the report shows.
TEST(GroupResults, MatchTheReportAndOutliveTheRun) {
    std::string survey = "ID,性別,値\n";
    for (int p = 0; p < 12; ++p)
        for (int d = 0; d < 2; ++d)
            survey += std::to_string(p) + "," + std::to_string(1 + p % 2) + "," +
                      std::to_string(100 + 7 * p + 13 * d + (p * d) % 5) + "\n";
    survey += "99,3,5\n"; // a group of one record: not analysed, no result
    TempFile file(Utf8ToCp932(survey));
    TAnalysisSettings s = Columns(file.Path, {0}, {1}, 2);
    s.CutOffText = "130- 150";

    std::vector<TGroupResult> results;
    for (bool withValues : {false, true}) {
        results.clear();
        TMemoryResultLines document;
        TRunOptions options;
        options.WithValues = withValues;
        options.GroupDone = [&results](TGroupResult r) { results.push_back(std::move(r)); };
        ASSERT_TRUE(RunReport(s, document, options).Ok());
        ASSERT_EQ(results.size(), 2u);

        const std::vector<std::string> lines = Utf8(document.Lines);
        auto shows = [&lines](const std::string& format, std::initializer_list<TFormatArg> args) {
            const std::string line = Cp932ToUtf8(FormatLine(Utf8ToCp932(format), args));
            return std::find(lines.begin(), lines.end(), line) != lines.end();
        };
        for (const TGroupResult& r : results) {
            EXPECT_EQ(r.N, 12);
            EXPECT_EQ(r.NPerson, 6);
            EXPECT_TRUE(r.HabitualShown);
            EXPECT_EQ(r.NormalizeMethod, Normalize::BestPower);
            ASSERT_EQ(r.CandidateRSquare.size(), 21u);
            ASSERT_GE(r.ChosenCandidate, 0);
            const double chosen = r.CandidateRSquare[static_cast<std::size_t>(r.ChosenCandidate)];
            EXPECT_TRUE(r.Power == 0 ? shows("最良べき数＝0(log変換) (R-square=%lf)", {chosen})
                                     : shows("最良べき数＝%lf (R-square=%lf)", {r.Power, chosen}));
            EXPECT_NEAR(r.PlotRSquare, chosen, 1e-12);
            EXPECT_TRUE(shows("個人内分散（標準偏差） %16lf (%16lf)", {r.VW, r.SDW}));
            EXPECT_TRUE(shows("　　　 90%%点 %16lf %16lf", {r.PctDaily[90], r.PctHabit[90]}));
            EXPECT_TRUE(shows("　　標準偏差 %16lf %16lf", {r.DailySD, r.HabitSD}));
            ASSERT_EQ(r.Shares.size(), 2u);
            EXPECT_TRUE(
                shows("%7lg未満%% %15lf%% %15lf%%", {130.0, r.Shares[0].Daily, r.Shares[0].Habit}));
            EXPECT_TRUE(
                shows("%7lg以上%% %15lf%% %15lf%%", {150.0, r.Shares[1].Daily, r.Shares[1].Habit}));
            EXPECT_EQ(r.DailyValues.size(), withValues ? 12u : 0u);
            EXPECT_EQ(r.HabitValues.size(), withValues ? 6u : 0u);
            if (!withValues) continue;
            EXPECT_TRUE(std::is_sorted(r.DailyValues.begin(), r.DailyValues.end()));
            EXPECT_TRUE(std::is_sorted(r.HabitValues.begin(), r.HabitValues.end()));
            EXPECT_TRUE(std::is_sorted(r.TransformedValues.begin(), r.TransformedValues.end()));
            EXPECT_TRUE(std::is_sorted(r.NormalScores.begin(), r.NormalScores.end()));
            EXPECT_EQ(r.DailyValues.front(), r.PctDaily[0]);
            EXPECT_EQ(r.HabitValues.back(), r.PctHabit[100]);
        }
        // The heading, as the document shows it above each group.
        EXPECT_EQ(Utf8(results[1].Heading.Lines()),
                  (std::vector<std::string>{Rule, "分析変数：[値]", "分類変数：[性別=2]"}));
        EXPECT_EQ(Cp932ToUtf8(results[0].Heading.ClassTexts[0]), "1");
    }
}

// A large group is sorted by a radix sort of the keys' first eight bytes and
// then by the whole order: the records must come by key bytes (unsigned, a
// key that begins another first) and a person's by data row, whatever the
// keys share.
TEST(PersonSort, LargeGroupsComeByKeyBytesThenByRow) {
    std::mt19937 random(7);
    const std::string stems[] = {"", "12345678", "1234567", "\xff\x81", "abcdefghijklmnopq", "a"};
    std::string survey = "id,group,v\n";
    for (int i = 0; i < 3000; ++i) {
        std::string id = stems[random() % 6];
        const int tail = static_cast<int>(random() % 4);
        for (int k = 0; k < tail; ++k) id += static_cast<char>('0' + random() % 3);
        if (random() % 7 == 0) id += "\x82\xa0";
        survey += id + "," + std::to_string(random() % 2) + ",1\n";
    }
    TempFile file(survey);
    for (int threads : {1, 2}) {
        TAnalysisSettings s = Columns(file.Path, {0}, {1}, 2);
        TRunData run;
        run.Threads = threads;
        ASSERT_TRUE(run.Read(s).Ok());
        ASSERT_EQ(run.Groups.size(), 2u);
        for (const TGroupRange& g : run.Groups) {
            ASSERT_GT(g.Size(), 1000);
            for (std::int32_t i = g.Begin + 1; i < g.End; ++i) {
                const TIntakeRecord& a = run.AllRecords[i - 1];
                const TIntakeRecord& b = run.AllRecords[i];
                const std::string_view ka = run.Keys.Text(a.PersonKey);
                const std::string_view kb = run.Keys.Text(b.PersonKey);
                const auto ua = std::basic_string_view<unsigned char>(
                    reinterpret_cast<const unsigned char*>(ka.data()), ka.size());
                const auto ub = std::basic_string_view<unsigned char>(
                    reinterpret_cast<const unsigned char*>(kb.data()), kb.size());
                ASSERT_TRUE(ua < ub || (ua == ub && a.RowNo < b.RowNo)) << i;
            }
        }
    }
}
