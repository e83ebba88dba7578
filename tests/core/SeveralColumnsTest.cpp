// Runs of several analysis columns, the columns every numeric column picks,
// the cut-off texts a table accepts, and the one-table output form.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/CutOffTable.h"
#include "engine/Decimal.h"
#include "engine/Encoding.h"
#include "engine/RunAnalysis.h"
#include "engine/UserMessages.h"
#include "report/Report.h"
#include "tests/support/TempFile.h"

using namespace habitual;
using habitual::test::TempFile;

namespace {

TAnalysisSettings Settings(const std::string& path) {
    TAnalysisSettings s;
    s.FileName = path;
    s.IdColumns[0] = 0;
    s.ClassColumns[0] = 1;
    return s;
}

std::vector<std::string> Names(const TRunData& run) {
    std::vector<std::string> names;
    for (const TValueColumn& c : run.Columns) names.push_back(Cp932ToUtf8(c.Name));
    return names;
}

} // namespace

TEST(SeveralColumns, WholeNumbersAndCutOffTexts) {
    for (const char* yes : {"12", " -3.5 ", "+1e3", ".5", "5.", "0"})
        EXPECT_TRUE(IsWholeNumber(yes)) << yes;
    for (const char* no : {"", " ", "20-29", "12kg", "NA", "-", "1e", "1,5", "nan", "1 2"})
        EXPECT_FALSE(IsWholeNumber(no)) << no;
    for (const char* yes : {"", "  ", "6.0-", "2500", "10 20-", "1 2 3 4 5", "-5", "-5-", "1e3-"})
        EXPECT_TRUE(ValidCutOffText(yes)) << yes;
    for (const char* no : {"1 2 3 4 5 6", "abc", "-", "5kg-", "10　20", "6.0--"})
        EXPECT_FALSE(ValidCutOffText(Utf8ToCp932(no))) << no;
}

TEST(SeveralColumns, EveryNumericColumnButThoseOfPersonsAndGroups) {
    // 年齢 holds class texts, 備考 a note, 空 nothing, 単位 numbers with units,
    // 欠測 a missing mark: none of them is analysed. 鉄 has blanks only.
    TempFile survey(Utf8ToCp932("ID,性別,年齢,エネルギー,備考,鉄,空,単位,欠測\n"
                                "1,1,20-29,1800,なし,6.5,,12kg,3\n"
                                "1,1,20-29,2000,,,,13kg,NA\n"
                                "2,2,30-49,1500,,7.0,,11kg,4\n"));
    TRunData run;
    TColumnChoice every;
    every.AllNumeric = true;
    ASSERT_TRUE(run.Read(Settings(survey.Path), {}, {}, every).Ok());
    EXPECT_EQ(Names(run), (std::vector<std::string>{"エネルギー", "鉄"}));
    // The values follow the records in their order.
    for (std::int32_t i = 0; i < run.NAll; ++i) {
        const double energy = run.ValueOf(i, 0);
        const double iron = run.ValueOf(i, 1);
        EXPECT_TRUE((energy == 1800 && iron == 6.5) || (energy == 2000 && iron == 0) ||
                    (energy == 1500 && iron == 7.0))
            << energy << " " << iron;
    }

    TempFile words(Utf8ToCp932("ID,性別,メモ\n1,1,あ\n"));
    TRunData none;
    const TRunStatus status = none.Read(Settings(words.Path), {}, {}, every);
    EXPECT_EQ(status.Error, TRunError::NoNumericColumn);
    EXPECT_NE(RunErrorMessage(status, "調査.csv").find("すべて数値の列"), std::string::npos);
}

TEST(SeveralColumns, FieldsLeftOutColumnByColumn) {
    // Group 2 has no number in column a: left out, it has no records there.
    TempFile survey("ID,G,a,b\n1,1,5,7\n1,1,NA,8\n2,2,NA,9\n3,2,,10\n");
    TAnalysisSettings s = Settings(survey.Path);
    TInputOptions input;
    input.SkipMissing = true;
    TColumnChoice both;
    both.List = {2, 3};
    TRunData run;
    ASSERT_TRUE(run.Read(s, input, {}, both).Ok());
    ASSERT_EQ(run.Groups.size(), 2u);
    EXPECT_EQ(run.Columns[0].GroupSizes, (std::vector<std::int32_t>{1, 0}));
    EXPECT_EQ(run.Columns[1].GroupSizes, (std::vector<std::int32_t>{2, 2}));
    ASSERT_EQ(run.Columns[0].Missing.size(), 2u);
    EXPECT_TRUE(run.Columns[1].Missing.empty());

    // The document: the column whose group has no record shows no heading
    // for it, exactly as its single run.
    TMemoryResultLines several;
    TRunOptions options;
    options.Input = input;
    options.Columns = both;
    ASSERT_TRUE(RunReport(s, several, options).Ok());
    std::vector<std::string> joined;
    for (std::int32_t column : {2, 3}) {
        TMemoryResultLines single;
        s.NutrientColumn = column;
        TRunOptions one;
        one.Input = input;
        ASSERT_TRUE(RunReport(s, single, one).Ok());
        joined.insert(joined.end(), single.Lines.begin(), single.Lines.end());
    }
    EXPECT_EQ(several.Lines, joined);
    EXPECT_EQ(std::count(joined.begin(), joined.end(), Sjis("分析変数：[a]")), 1);
}

TEST(SeveralColumns, TheSameDocumentWithAnyNumberOfThreads) {
    std::string text = "ID,G,x,y\n";
    for (int p = 0; p < 300; ++p)
        for (int d = 0; d < 1 + p % 3; ++d)
            text += std::to_string(p) + "," + std::to_string(p % 7) + "," +
                    std::to_string(100 + (p * 37 + d * 11) % 89) + "," +
                    std::to_string(5 + (p * 13 + d * 7) % 17) + "\n";
    TempFile survey(text);
    TAnalysisSettings s = Settings(survey.Path);
    s.CutOffText = "120- 60";
    for (std::int32_t form :
         {OutForm::Standard, OutForm::CsvSummary, OutForm::CsvData, OutForm::SummaryTable}) {
        s.OutType = form;
        std::vector<std::vector<std::string>> documents;
        std::vector<std::vector<std::string>> notices;
        for (int threads : {1, 2, 3, 8}) {
            TRunOptions options;
            options.Columns.List = {2, 3};
            options.Threads = threads;
            std::vector<std::string> told;
            options.Notice = [&told](const TNotice& n) { told.push_back(n.Group + n.Text); };
            TMemoryResultLines lines;
            ASSERT_TRUE(RunReport(s, lines, options).Ok());
            documents.push_back(lines.Lines);
            notices.push_back(told);
        }
        for (std::size_t i = 1; i < documents.size(); ++i) {
            EXPECT_EQ(documents[i], documents[0]) << form;
            EXPECT_EQ(notices[i], notices[0]) << form;
        }
    }
}
