#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "engine/Encoding.h"
#include "report/Report.h"
#include "report/ResultsFile.h"
#include "tests/support/TempFile.h"

using namespace habitual;
using habitual::test::TempFile;

namespace {

// Runs the whole analysis on a survey (UTF-8 text, stored as Shift-JIS) and
// gives the document back in UTF-8.
std::vector<std::string> Report(const std::string& survey, TAnalysisSettings s) {
    TempFile file(Utf8ToCp932(survey));
    s.FileName = file.Path;
    if (s.IdColumns[0] < 0) s.IdColumns[0] = 0;
    TMemoryResultLines document;
    EXPECT_TRUE(RunReport(s, document).Ok());
    std::vector<std::string> lines;
    for (const auto& line : document.Lines) lines.push_back(Cp932ToUtf8(line));
    return lines;
}

TAnalysisSettings Settings(int method, int outType, const std::string& cutOffs = "") {
    TAnalysisSettings s;
    s.NutrientColumn = 1;
    s.NormalizeMethod = method;
    s.OutType = outType;
    s.CutOffText = cutOffs;
    return s;
}

bool Contains(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

const std::string Balanced = "ID,v\nA,1\nB,2\nC,6\nA,3\nB,4\nC,8\n";
const std::string Singles = "ID,v\nA,1\nB,2\nC,6\nD,3\n";

} // namespace

TEST(StandardReport, WholeReportOfABalancedGroup) {
    const std::vector<std::string> expected = {
        "============================================================",
        "分析変数：[v]",
        "正規化方法＝無変換",
        "------------------------------------------------",
        "データ数               6",
        "平均　　        4.000000",
        "分散　　        6.800000",
        "標準偏差        2.607681",
        "------------------------------------------------",
        "人数     3",
        "うち複数日調査の人数    3",
        "複数日調査の平均日数（範囲） 2 (2 - 2)",
        "------------------------------------------------",
        "分散分析表",
        "変動因　　自由度   　　　　  平方和 　　　   平均平方",
        "モデル         2          28.000000         14.000000",
        "誤差           3           6.000000          2.000000",
        "全体           5          34.000000          6.800000",
        "------------------------------------------------",
        "個人内分散（標準偏差）         2.000000 (        1.414214)",
        "個人間分散（標準偏差）         6.000000 (        2.449490)",
        "個人内／個人間分散比（標準偏差比） 0.333333 (0.577350)",
        "------------------------------------------------",
        "　　　統計量　　　 １日摂取量　　　 習慣摂取量",
        "　　　最小値         1.000000         2.148360",
        "　　　　1%点         1.000000         2.148360",
        "　　　　5%点         1.000000         2.148360",
        "　　　 10%点         1.000000         2.148360",
        "　　　 25%点         1.750000         2.148360",
        "　　　 50%点         3.500000         3.074180",
        "　　　 75%点         6.500000         6.777460",
        "　　　 90%点         8.000000         6.777460",
        "　　　 95%点         8.000000         6.777460",
        "　　　 99%点         8.000000         6.777460",
        "　　  最大値         8.000000         6.777460",
        "　　　　平均         4.000000         4.000000",
        "　　標準偏差         2.607681         2.449490",
        "      3以上%       66.666667%       66.666667%",
        "      5未満%       66.666667%       66.666667%",
        "     -5以上%      100.000000%      100.000000%",
        "      0未満%        0.000000%        0.000000%",
        "",
    };
    EXPECT_EQ(Report(Balanced, Settings(2, 0, "3 5- -5 -")), expected);
}

TEST(StandardReport, MethodLinesAndTheZeroOffsetNote) {
    const std::string withZero = "ID,v\nA,0\nB,0.4\nC,1\nA,0.2\nB,0.6\nC,2\n";
    auto lines = Report(withZero, Settings(1, 0));
    EXPECT_EQ(lines[2], "正規化方法＝対数変換（分散分析は変換後の値）");
    EXPECT_EQ(lines[3],
              "※データに0が含まれるため非0の最小値/2=0.100000を加えてから対数変換しました.");
    EXPECT_EQ(lines[4], "");
    EXPECT_EQ(lines[5], "------------------------------------------------");

    TAnalysisSettings s = Settings(3, 0);
    s.PowerText = "0";
    lines = Report(withZero, s);
    EXPECT_EQ(lines[3], "指定べき数＝0(log変換)");
    EXPECT_EQ(lines[4].substr(0, 3), "※");

    s.PowerText = "-0.5";
    lines = Report(withZero, s);
    EXPECT_EQ(lines[2], "正規化方法＝べき乗変換（べき数指定）");
    EXPECT_EQ(lines[3], "指定べき数＝0.500000");
    EXPECT_EQ(lines[4], "------------------------------------------------");

    lines = Report(withZero, Settings(2, 0));
    EXPECT_EQ(lines[3], "------------------------------------------------");

    lines = Report("ID,v\nA,10\nB,12\nC,15\nD,20\nE,30\nF,50\nG,80\nA,11\n", Settings(0, 0));
    EXPECT_EQ(lines[3].rfind("最良べき数＝0(log変換) (R-square=", 0), 0u) << lines[3];
    EXPECT_EQ(lines[4], "------------------------------------------------");
}

TEST(StandardReport, GivenVarianceReplacesTheAnovaTableWithANotice) {
    for (int hendo : {1, 2}) {
        TAnalysisSettings s = Settings(3, 0);
        s.PowerText = "1";
        s.HendoMode = hendo;
        s.VWText = "1";
        s.VWBRatioText = "0.5";
        auto lines = Report(Balanced, s);
        EXPECT_FALSE(Contains(lines, "分散分析表"));
        EXPECT_TRUE(Contains(
            lines, hendo == 1 ? "個人内分散を指定したため、分散分析表は出力しません"
                              : "個人内／個人間分散比を指定したため、分散分析表は出力しません"));
        // Under any other method the option is not in force.
        s.NormalizeMethod = 2;
        EXPECT_TRUE(Contains(Report(Balanced, s), "分散分析表"));
    }
}

TEST(StandardReport, VarianceMessagesEndTheReport) {
    const std::string noWithin =
        "個人内分散がゼロまたは調査日数が１日のため、習慣摂取量の分布は推定できません";
    const std::string noBetween =
        "個人間分散がゼロまたは人数が１人のため、習慣摂取量の分布は推定できません";
    struct Case {
        std::string Survey;
        std::string Message;
        std::string ZeroDfRow;
    } cases[] = {
        {Singles, noWithin, "誤差           0           0.000000          0.000000"},
        {"ID,v\nA,1\nA,2\nA,6\n", noBetween,
         "モデル         0           0.000000          0.000000"},
        {"ID,v\nA,5\nB,5\nA,5\nB,5\n", noBetween, ""},
    };
    for (const Case& c : cases) {
        auto lines = Report(c.Survey, Settings(2, 0, "1"));
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines[lines.size() - 2], c.Message);
        EXPECT_EQ(lines.back(), "");
        EXPECT_EQ(lines[lines.size() - 3].rfind("個人間分散（標準偏差）", 0), 0u);
        if (!c.ZeroDfRow.empty()) {
            EXPECT_TRUE(Contains(lines, c.ZeroDfRow));
        }
    }
}

TEST(CsvSummary, ColumnsAndRows) {
    auto lines = Report(Balanced, Settings(2, 1, "3 5-"));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[2],
              "\"摂取量\",\"人数\",\"データ数\",\"平均\",\"標準偏差\",\"最小値\",\"1%\",\"5%\","
              "\"10%\",\"25%\",\"50%\",\"75%\",\"90%\",\"95%\",\"99%\",\"最大値\","
              "\"3以上%\",\"5未満%\"");
    EXPECT_EQ(lines[3],
              "\"１日\",3,6,4,2.60768,1,1,1,1,1.75,3.5,6.5,8,8,8,8,\"66.6667%\",\"66.6667%\"");
    EXPECT_EQ(lines[4], "\"習慣\",3,3,4,2.44949,2.14836,2.14836,2.14836,2.14836,2.14836,3.07418,"
                        "6.77746,6.77746,6.77746,6.77746,6.77746,\"66.6667%\",\"66.6667%\"");

    lines = Report(Singles, Settings(2, 1));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(std::count(lines[3].begin(), lines[3].end(), ','), 15);
    EXPECT_EQ(lines[4],
              "個人内分散がゼロまたは調査日数が１日のため、習慣摂取量の分布は推定できません");
}

TEST(CsvData, OneValuePerPersonInAscendingOrder) {
    EXPECT_EQ(Report(Balanced, Settings(2, 2)),
              (std::vector<std::string>{
                  "============================================================", "分析変数：[v]",
                  "\"習慣摂取量\"", "2.14836", "3.07418", "6.77746"}));
    auto lines = Report(Singles, Settings(2, 2));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2],
              "個人内分散がゼロまたは調査日数が１日のため、習慣摂取量の分布は推定できません");
}

TEST(CutOffs, Parsing) {
    struct Case {
        std::string Text;
        std::vector<std::pair<double, bool>> Expected;
    } cases[] = {
        {"", {}},
        {"  \t ", {}},
        {"10 20-", {{10, false}, {20, true}}},
        {"-5", {{-5, false}}},
        {"-", {{0, true}}},
        {"abc 3-", {{0, false}, {3, true}}},
        {"1 2 3 4 5 6", {{1, false}, {2, false}, {3, false}, {4, false}, {5, false}}},
        {"1\xe3\x80\x80"
         "2",
         {{1, false}}}, // a full-width space does not separate
        {"1e1-\n2", {{10, true}, {2, false}}},
        {std::string(300, '7') + "- 1",
         {{ParseCutOffs(std::string(255, '7'))[0].Limit, false}, {1, false}}},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<double, bool>> got;
        for (const TCutOff& cut : ParseCutOffs(c.Text)) got.emplace_back(cut.Limit, cut.Below);
        EXPECT_EQ(got, c.Expected) << c.Text;
    }
}

TEST(ResultsFile, SplitsIntoLinesOfAtMost511Bytes) {
    const std::string a = "\x82\xA0";
    std::string japanese;
    for (int i = 0; i < 500; ++i) japanese += a; // 1,000 bytes
    struct Case {
        const char* Name;
        std::string Bytes;
        std::vector<std::size_t> Sizes;
    } cases[] = {
        {"empty", "", {}},
        {"no final LF", "ab\r\ncd", {2, 2}},
        {"blank lines", "\n\n", {0, 0}},
        {"end of file mark",
         "ab\n\x1A"
         "cd\n",
         {2}},
        {"1000 bytes", std::string(1000, 'x') + "\n", {511, 489}},
        {"511 bytes", std::string(511, 'x') + "\r\n" + "y", {511, 1}},
        {"1000 bytes of Japanese", japanese + "\n", {510, 490}},
        {"odd start", "x" + japanese + "\n", {511, 490}},
    };
    for (const Case& c : cases) {
        std::vector<std::size_t> sizes;
        std::string joined;
        for (const auto& line : SplitResultsText(c.Bytes)) {
            sizes.push_back(line.size());
            joined += line;
        }
        EXPECT_EQ(sizes, c.Sizes) << c.Name;
        // No piece ends in the middle of a character, and no byte is lost:
        // the pieces are the bytes up to the end mark without CR and LF.
        EXPECT_EQ(Cp932ToUtf8(joined).find("\xEF\xBF\xBD"), std::string::npos) << c.Name;
        std::string kept = c.Bytes.substr(0, c.Bytes.find('\x1A'));
        std::erase(kept, '\r');
        std::erase(kept, '\n');
        EXPECT_EQ(joined, kept) << c.Name;
    }
}

TEST(ResultsFile, SavedLinesReadBackTheSame) {
    const std::vector<std::string> lines = {Utf8ToCp932("分析変数：[v]"), "", "100%", "a,\"b\""};
    const std::string bytes = JoinResultsLines(lines);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    TempFile file(bytes, ".txt");
    std::vector<std::string> back;
    ASSERT_TRUE(ReadResultsFile(file.Path, back));
    EXPECT_EQ(back, lines);
    EXPECT_FALSE(ReadResultsFile("/nonexistent.txt", back));
    EXPECT_FALSE(ReadResultsFile("/tmp", back));
    EXPECT_EQ(JoinResultsLines({}), "");
}
