// Several analysis columns and a cut-off table from the command line: a run
// with the table is, group by group, the runs with each group's cut-off text
// typed in; the summary table holds the figures of the summaries.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/Encoding.h"
#include "tests/support/CliRunner.h"
#include "tests/support/TempFile.h"

using namespace habitual;
using habitual::test::Outcome;
using habitual::test::RunTool;
using habitual::test::TempFile;

namespace {

const std::string Examples = HABITUAL_EXAMPLES_DIR;
const std::string Sample = Examples + "/sample-survey.csv";
const std::vector<std::string> Columns = {"--id", "1",       "--id", "2",       "--id",
                                          "3",    "--class", "4",    "--class", "5"};

std::vector<std::string> With(std::vector<std::string> args, const std::vector<std::string>& more) {
    args.insert(args.begin(), Sample);
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// A standard document cut into its groups' blocks, each from its rule line
// on, by "analysis column|classification line".
std::map<std::string, std::string> Blocks(const std::string& cp932) {
    const std::string text = Cp932ToUtf8(cp932);
    std::map<std::string, std::string> blocks;
    const std::string rule = "============================================================";
    std::size_t at = text.find(rule);
    while (at != std::string::npos) {
        const std::size_t next = text.find(rule, at + rule.size());
        const std::string block = text.substr(at, next == std::string::npos ? next : next - at);
        const std::size_t column = block.find("分析変数：");
        const std::size_t classes = block.find("分類変数：");
        const std::string key = block.substr(column, block.find('\r', column) - column) + "|" +
                                block.substr(classes, block.find('\r', classes) - classes);
        blocks[key] = block;
        at = next;
    }
    return blocks;
}

} // namespace

TEST(ReferenceWorkflow, ACutOffTableIsEachGroupsTextTypedIn) {
    const Outcome table = RunTool(
        With(Columns, {"--nutrient", "6", "--nutrient", "7", "--nutrient", "9", "--nutrient", "10",
                       "--cutoff-table", Examples + "/sample-cutoffs.csv", "--cutoffs", "123-"}));
    ASSERT_EQ(table.Status, 0) << table.Err;
    const std::map<std::string, std::string> blocks = Blocks(table.Out);
    ASSERT_EQ(blocks.size(), 32u);

    // What the example table gives each group: the row naming the sex and
    // the age class before the row naming the sex alone.
    struct Typed {
        const char* Column;
        const char* Sex;
        const char* Ages; // the age classes it holds for, "" for all
        const char* CutOffs;
    } typed[] = {
        {"6", "1", "", "1500- 3000"},
        {"6", "2", "", "1500- 3000"},
        {"7", "1", "", "50-"},
        {"7", "2", "", "40-"},
        {"9", "1", "20-29 30-49 50-69", "650- 2500"},
        {"9", "1", "70-", "600- 2500"},
        {"9", "2", "20-29 30-49 50-69", "550- 2500"},
        {"9", "2", "70-", "500- 2500"},
        {"10", "1", "", "7.5"},
        {"10", "2", "", "6.5"},
    };
    std::size_t compared = 0;
    for (const Typed& t : typed) {
        const Outcome single =
            RunTool(With(Columns, {"--nutrient", t.Column, "--cutoffs", t.CutOffs}));
        ASSERT_EQ(single.Status, 0);
        for (const auto& [key, block] : Blocks(single.Out)) {
            const bool sex = key.find(std::string("[性別=") + t.Sex + "]") != std::string::npos;
            const std::string ages = t.Ages;
            const std::size_t age = key.find("[年齢階級=");
            const std::string ageText =
                key.substr(age + std::string("[年齢階級=").size(),
                           key.find(']', age) - age - std::string("[年齢階級=").size());
            if (!sex || (!ages.empty() && ages.find(ageText) == std::string::npos)) continue;
            ASSERT_TRUE(blocks.count(key)) << key;
            EXPECT_EQ(blocks.at(key), block) << key << " " << t.CutOffs;
            ++compared;
        }
    }
    EXPECT_EQ(compared, blocks.size());
}

TEST(ReferenceWorkflow, TablesThatCannotBeUsedStopTheRunBeforeItWrites) {
    struct Case {
        const char* Name;
        std::string Table;
        std::string Message;
    } cases[] = {
        {"no header", "性別,カットオフ値\n1,5\n", "「分析変数」と「カットオフ値」で終わる"},
        {"unknown class", "地域,分析変数,カットオフ値\n北,エネルギー,5\n", "「地域」は"},
        {"too many cells", "性別,分析変数,カットオフ値\n1,エネルギー,5,6\n",
         "ファイルの 2 行目に、見出し行より多くの列"},
        {"bad cut-offs", "性別,分析変数,カットオフ値\n1,エネルギー,5\n2,エネルギー,5kg\n",
         "ファイルの 3 行目のカットオフ値「5kg」"},
        {"six cut-offs", "分析変数,カットオフ値\nエネルギー,1 2 3 4 5 6\n", "「1 2 3 4 5 6」"},
        {"same rows", "性別,分析変数,カットオフ値\n1,エネルギー,5\n\n1,エネルギー,6-\n",
         "ファイルの 2 行目と 4 行目は、同じ分類と分析変数"},
        {"ambiguous", "性別,年齢階級,分析変数,カットオフ値\n1,,エネルギー,5\n,70-,エネルギー,6\n",
         "ファイルの 2 行目と 3 行目が、グループ[性別=1][年齢階級=70-]に同じように"},
    };
    for (const Case& c : cases) {
        TempFile table(Utf8ToCp932(c.Table), ".csv");
        const Outcome o = RunTool(With(Columns, {"--nutrient", "6", "--cutoff-table", table.Path}));
        EXPECT_EQ(o.Status, 1) << c.Name;
        EXPECT_TRUE(o.Out.empty()) << c.Name;
        EXPECT_NE(o.Err.find("カットオフ値の表[" + table.Path + "]"), std::string::npos)
            << c.Name << o.Err;
        EXPECT_NE(o.Err.find(c.Message), std::string::npos) << c.Name << o.Err;
    }
    // A table written as UTF-8 reads as its Shift-JIS form.
    TempFile utf8("\xEF\xBB\xBF性別,分析変数,カットオフ値\n2,エネルギー,1800-\n", ".csv");
    const Outcome o = RunTool(With(Columns, {"--nutrient", "6", "--cutoff-table", utf8.Path}));
    ASSERT_EQ(o.Status, 0) << o.Err;
    EXPECT_NE(Cp932ToUtf8(o.Out).find("   1800未満%"), std::string::npos);
}

TEST(ReferenceWorkflow, OneTableOfEveryColumnGroupAndDistribution) {
    const Outcome o = RunTool(With(Columns, {"--nutrient", "6", "--nutrient", "11", "--cutoffs",
                                             "1500- 2500", "--output", "summary-table"}));
    ASSERT_EQ(o.Status, 0) << o.Err;
    const std::string text = Cp932ToUtf8(o.Out);
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find("\r\n", at);
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    // One header; two rows for each of the 8 groups of each column.
    ASSERT_EQ(lines.size(), 1u + 2 * 8 * 2);
    EXPECT_EQ(lines[0],
              "\"分析変数\",\"性別\",\"年齢階級\",\"分布\",\"人数\",\"データ数\",\"平均\","
              "\"標準偏差\",\"最小値\",\"1%\",\"5%\",\"10%\",\"25%\",\"50%\",\"75%\",\"90%\","
              "\"95%\",\"99%\",\"最大値\",\"カットオフ値1\",\"割合1(%)\",\"カットオフ値2\","
              "\"割合2(%)\",\"備考\"");
    // The rows hold the summary's figures, the shares as plain numbers.
    const Outcome summary = RunTool(
        With(Columns, {"--nutrient", "6", "--cutoffs", "1500- 2500", "--output", "summary"}));
    const std::string first = Cp932ToUtf8(summary.Out);
    const std::size_t row = first.find("\"１日\",");
    const std::string daily = first.substr(row, first.find("\r\n", row) - row);
    // "１日",35,66,...,"4.54545%","39.3939%" against "...","１日",35,66,...
    const std::string figures = daily.substr(std::string("\"１日\"").size());
    const std::string numbers = figures.substr(0, figures.find(",\""));
    EXPECT_EQ(lines[1].find("\"エネルギー\",\"1\",\"20-29\",\"１日\"" + numbers +
                            ",\"1500未満\",4.54545,\"2500以上\",39.3939,\"\""),
              0u)
        << lines[1];
    EXPECT_EQ(lines[17].find("\"緑黄色野菜\",\"1\",\"20-29\",\"１日\","), 0u) << lines[17];
}
