// UTF-8 survey files: what is taken for UTF-8, that such a file reads exactly
// as its Shift-JIS form, and the refusals that name where the problem is.
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "engine/CsvFile.h"
#include "engine/Encoding.h"
#include "engine/RunAnalysis.h"
#include "engine/SurveyInput.h"
#include "engine/UserMessages.h"
#include "tests/support/TempFile.h"

using namespace habitual;
using habitual::test::TempFile;
using K = TInputProblem::TKind;

namespace {

const std::string Bom = "\xEF\xBB\xBF";

struct TRead {
    TSurveyFormat Format = TSurveyFormat::Cp932;
    TInputProblem Problem;
    std::vector<std::vector<std::string>> Rows;
    int NRows = 0, MaxFields = 0;
    std::vector<std::int64_t> Skipped;
    std::vector<std::int64_t> Lines; // physical line of each row
};

TRead ReadSurvey(const std::string& bytes, TInputEncoding encoding = TInputEncoding::Auto) {
    TempFile file(bytes);
    TInputOptions options;
    options.Encoding = encoding;
    TOpenedSurvey opened = OpenCsvSurvey(file.Path, options);
    TRead read;
    read.Format = opened.Format;
    read.Problem = opened.Problem;
    if (!opened.Source) return read;
    auto reader = std::make_unique<TCsvFile>();
    reader->Attach(std::move(opened.Source));
    reader->CountRows();
    read.NRows = reader->NRows;
    read.MaxFields = reader->MaxFields;
    for (std::int64_t i = 0; i < reader->SkippedWithText.Count && i < TRowTally::Kept; ++i)
        read.Skipped.push_back(reader->SkippedWithText.First[i]);
    for (reader->NextRow(); reader->NFields >= 0; reader->NextRow()) {
        read.Rows.emplace_back(reader->Fields, reader->Fields + reader->NFields);
        read.Lines.push_back(reader->LineNo());
    }
    EXPECT_FALSE(reader->ReadFailed());
    return read;
}

} // namespace

// The same table in UTF-8 (with and without a byte-order mark) gives the
// rows, counts, skipped lines and line numbers of its Shift-JIS form.
TEST(Utf8Survey, ReadsExactlyAsItsShiftJisForm) {
    const std::string tables[] = {
        "地区,番号,性別,エネルギー\r\n1,1,男,1800\r\n\r\nあいう,えお\r\n1,2,\"女, 30代\",2100\r\n",
        "ID,名前\n  1 , \"  ア\"\"イ\"  \n,,,\n\"ソ表\",～－\n" + std::string(16390, 'x') + "\n9",
        "a,b\n1,ｱｲｳ\nｶﾞｷﾞ\n2,\x1A" + std::string("\xFF\xFE after the end"),
        "h\n" + std::string(8000, 'x') + "日本" + std::string(9000, 'y') + "\n",
    };
    for (const std::string& utf8 : tables) {
        SCOPED_TRACE(utf8.substr(0, 40));
        const std::string cut = utf8.substr(0, utf8.find('\x1A'));
        const TRead cp932 = ReadSurvey(Utf8ToCp932(cut) + utf8.substr(cut.size()));
        ASSERT_EQ(cp932.Format, TSurveyFormat::Cp932);
        for (const std::string& prefix : {std::string(), Bom}) {
            const TRead read = ReadSurvey(prefix + utf8);
            ASSERT_TRUE(read.Problem.Ok()) << read.Problem.Character;
            EXPECT_EQ(read.Format, TSurveyFormat::Utf8);
            EXPECT_EQ(read.Rows, cp932.Rows);
            EXPECT_EQ(read.NRows, cp932.NRows);
            EXPECT_EQ(read.MaxFields, cp932.MaxFields);
            EXPECT_EQ(read.Skipped, cp932.Skipped);
            EXPECT_EQ(read.Lines, cp932.Lines);
        }
    }
}

TEST(Utf8Survey, DetectionAndTheUsersChoice) {
    const std::string sjis = Utf8ToCp932("地区,性別\n1,男\n");
    struct Case {
        const char* Name;
        std::string Bytes;
        TInputEncoding Encoding;
        TSurveyFormat Format;
        K Problem;
    } cases[] = {
        {"ASCII only", "a,b\n1,2\n", TInputEncoding::Auto, TSurveyFormat::Cp932, K::None},
        {"Shift-JIS", sjis, TInputEncoding::Auto, TSurveyFormat::Cp932, K::None},
        {"Shift-JIS declared UTF-8", sjis, TInputEncoding::Utf8, TSurveyFormat::Cp932,
         K::Malformed},
        {"UTF-8", "地区\n1\n", TInputEncoding::Auto, TSurveyFormat::Utf8, K::None},
        {"UTF-8 declared Shift-JIS", "地区\n1\n", TInputEncoding::Cp932, TSurveyFormat::Cp932,
         K::None},
        {"mark and ASCII", Bom + "a\n1\n", TInputEncoding::Auto, TSurveyFormat::Utf8, K::None},
        {"mark and bad bytes", Bom + "a\n\x82\xa0\n", TInputEncoding::Auto, TSurveyFormat::Cp932,
         K::Malformed},
        {"UTF-8 then bad bytes", "地区\n\xE3\x81\n", TInputEncoding::Auto, TSurveyFormat::Cp932,
         K::None},
        {"no CP932 form", "地区,名前\n1,𠮷田\n", TInputEncoding::Auto, TSurveyFormat::Cp932,
         K::NoCp932Form},
        {"no CP932 form, Shift-JIS chosen", "𠮷\n", TInputEncoding::Cp932, TSurveyFormat::Cp932,
         K::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const TRead read = ReadSurvey(c.Bytes, c.Encoding);
        EXPECT_EQ(read.Problem.Kind, c.Problem);
        if (c.Problem == K::None) {
            EXPECT_EQ(read.Format, c.Format);
        }
        if (c.Problem != K::None) {
            EXPECT_TRUE(read.Rows.empty());
        }
    }
}

// A refusal names the file line, the column as the reader counts it, and
// the character (or the bytes).
TEST(Utf8Survey, RefusalsNameWhere) {
    struct Case {
        std::string Bytes;
        K Kind;
        std::int64_t Row;
        std::int32_t Column;
        std::string Character;
    } cases[] = {
        {"a,b\n\n1,𠮷\n", K::NoCp932Form, 3, 2, "𠮷"},
        {"x\r\n\"a,b\", c,😀\r\n", K::NoCp932Form, 2, 3, "😀"},
        {"x\n\"1,2,3😀\n", K::NoCp932Form, 2, 1, "😀"},
        {Bom + "𠮷\n", K::NoCp932Form, 1, 1, "𠮷"},
        {"¥100\n", K::NoCp932Form, 1, 1, "¥"},
        {Bom + "日本\n1,2,\xE6\x97\n", K::Malformed, 2, 3, "0xE6 0x97"},
        {"日本\n" + std::string(16383, 'z') + ",😀\n", K::NoCp932Form, 2, 2, "😀"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Bytes.substr(0, 30));
        const TRead read = ReadSurvey(c.Bytes);
        EXPECT_EQ(read.Problem.Kind, c.Kind);
        EXPECT_EQ(read.Problem.Row, c.Row);
        EXPECT_EQ(read.Problem.Column, c.Column);
        EXPECT_EQ(read.Problem.Character, c.Character);
    }
    TInputProblem p;
    p.Kind = K::NoCp932Form;
    p.Row = 12;
    p.Column = 3;
    p.Character = "𠮷";
    EXPECT_EQ(
        messages::InputProblem(p, "a.csv")
            .find("栄養調査データ[a.csv]のファイルの 12 行目、3 列目にある文字「𠮷」（U+20BB7）"),
        0u);
}

TEST(Utf8Survey, ExactConversion) {
    std::string out;
    EXPECT_FALSE(Utf8ToCp932Exact("〜‖−¢£¬—～", &out).Stopped());
    EXPECT_EQ(out, "\x81\x60\x81\x61\x81\x7C\x81\x91\x81\x92\x81\xCA\x81\x5C\x81\x60");
    // ASCII control bytes stay as they are (the converter's table swaps some).
    out.clear();
    EXPECT_FALSE(Utf8ToCp932Exact(std::string("\x1A\x1C\x7F\x00\\~", 6), &out).Stopped());
    EXPECT_EQ(out, std::string("\x1A\x1C\x7F\x00\\~", 6));
    // Characters a converter would drop or make '?' have no form.
    for (const char* text : {"\u200B", "\uFEFF", "\u00A0", "é"})
        EXPECT_EQ(Utf8ToCp932Exact(text, nullptr).Reason, TConversionStop::TReason::NoCp932Form)
            << text;
    struct Cut {
        std::string Text;
        std::size_t Complete;
    } cuts[] = {{"ab", 2},           {"a\xE6", 1},           {"a\xE6\x97", 1}, {"a\xE6\x97\xA5", 4},
                {"\xF0\x9F\x98", 0}, {"\xF0\x9F\x98\x80", 4}};
    for (const Cut& c : cuts) EXPECT_EQ(Utf8CompleteLength(c.Text), c.Complete);
}

namespace {

struct TNoticeRun {
    TRunStatus Status;
    std::vector<std::string> Notices;
    std::vector<std::vector<double>> Values; // per analysed group
    std::vector<std::string> Document;
};

TNoticeRun RunWithNotices(const std::string& utf8Survey, bool skipMissing) {
    TempFile file(utf8Survey);
    TAnalysisSettings s;
    s.FileName = file.Path;
    s.IdColumns[0] = 0;
    s.ClassColumns[0] = 1;
    s.NutrientColumn = 2;
    TNoticeRun run;
    TRunOptions options;
    options.Input.SkipMissing = skipMissing;
    options.Threads = 1; // the analysis below collects into run
    options.Notice = [&](const TNotice& n) {
        run.Notices.push_back(n.Group.empty() ? n.Text : n.Group + " " + n.Text);
    };
    TMemoryResultLines lines;
    run.Status = RunAnalysis(
        s, lines,
        [&](TAnova1Way& ctx, const TAnalysisSettings&, TResultLines&, TGroupRun&) {
            std::vector<double> v;
            for (int i = 0; i < ctx.NData; ++i) v.push_back(ctx.Records[i].Value);
            std::sort(v.begin(), v.end());
            run.Values.push_back(v);
        },
        options);
    for (const std::string& l : lines.Lines) run.Document.push_back(Cp932ToUtf8(l));
    return run;
}

} // namespace

// Rows skipped although they held text, and analysis fields that are not
// numbers, are told in notices: analysed as 0, or left out when asked.
TEST(InputNotices, SkippedLinesAndFieldsThatAreNotNumbers) {
    const std::string survey = "ID,性別,値\n1,1,10\nあいう\n1,1,NA\n2,1,12\n2,1,\n3,2,欠測\n"
                               "3,2,-\n4,1,.\n4,1,13\n5,1,x\n5,1,y\n6,1,z\n";
    const TNoticeRun zeroed = RunWithNotices(survey, false);
    ASSERT_TRUE(zeroed.Status.Ok());
    EXPECT_EQ(zeroed.Notices,
              (std::vector<std::string>{
                  "文字のある 1 行を空行として読み飛ばしました（ファイルの 3 行目）。Shift-JIS で "
                  "0x80 以上のバイトだけからなる文字（ひらがなや全角記号の多く）と、カンマ・"
                  "引用符・空白だけでできた行は、データの行として数えません。",
                  "[性別=1] 分析変数が空欄か数値でない 6 行を 0 として計算しました（データ 2, 4, "
                  "7, 9, 10 行目ほか）。",
                  "[性別=2] 分析変数が空欄か数値でない 2 行を 0 として計算しました（データ 5, 6 "
                  "行目）。"}));
    EXPECT_EQ(zeroed.Values,
              (std::vector<std::vector<double>>{{0, 0, 0, 0, 0, 0, 10, 12, 13}, {0, 0}}));

    const TNoticeRun skipped = RunWithNotices(survey, true);
    ASSERT_TRUE(skipped.Status.Ok());
    ASSERT_EQ(skipped.Notices.size(), 3u);
    EXPECT_EQ(skipped.Notices[1], "[性別=1] 分析変数が空欄か数値でない 6 行を計算から除きました"
                                  "（データ 2, 4, 7, 9, 10 行目ほか）。");
    // The group of 性別 2 has no record left: no heading, no analysis.
    EXPECT_EQ(skipped.Values, (std::vector<std::vector<double>>{{10, 12, 13}}));
    EXPECT_EQ(skipped.Document.size(), 3u);

    const TNoticeRun clean = RunWithNotices("ID,性別,値\n1,1,1\n1,1,2e1\n2,1,-.5\n", true);
    EXPECT_TRUE(clean.Notices.empty());
    EXPECT_EQ(clean.Values, (std::vector<std::vector<double>>{{-0.5, 1, 20}}));
}
