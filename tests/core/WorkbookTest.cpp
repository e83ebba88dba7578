// Workbook sheets read as surveys: how cells become fields, which sheet is
// read, and the refusals that name the sheet, the row and the column.
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include "engine/CsvFile.h"
#include "engine/Encoding.h"
#include "engine/UserMessages.h"
#include "import/SurveyFile.h"
#include "tests/support/TempFile.h"
#include "tests/support/WorkbookFile.h"

using namespace habitual;
using namespace habitual::test;
using K = TInputProblem::TKind;

namespace {

struct TSheetRead {
    TOpenedSurvey Opened;
    std::vector<std::vector<std::string>> Rows; // UTF-8
    std::vector<std::int64_t> Lines;
    std::vector<std::int64_t> Skipped;
};

TSheetRead ReadWorkbook(const TParts& parts, const std::string& sheet = "") {
    TempFile file("", ".xlsx");
    EXPECT_TRUE(WriteZip(file.Path, parts));
    TInputOptions options;
    options.Sheet = sheet;
    TSheetRead read;
    read.Opened = OpenSurvey(file.Path, options);
    if (!read.Opened.Source) return read;
    auto reader = std::make_unique<TCsvFile>();
    reader->Attach(std::move(read.Opened.Source));
    reader->CountRows();
    for (std::int64_t i = 0; i < reader->SkippedWithText.Count && i < TRowTally::Kept; ++i)
        read.Skipped.push_back(reader->SkippedWithText.First[i]);
    for (reader->NextRow(); reader->NFields >= 0; reader->NextRow()) {
        std::vector<std::string> row;
        for (int f = 0; f < reader->NFields; ++f) row.push_back(Cp932ToUtf8(reader->Fields[f]));
        read.Rows.push_back(row);
        read.Lines.push_back(reader->LineNo());
    }
    return read;
}

using TRows = std::vector<std::vector<std::string>>;

} // namespace

TEST(Workbook, CellsBecomeFieldsAsInTheSheetSavedAsCsv) {
    const std::string shared = "<si><t>地区</t></si>"
                               "<si><r><t>エネ</t></r><r><rPr><b/></rPr><t>ルギー</t></r>"
                               "<rPh sb=\"0\" eb=\"2\"><t>エネ</t></rPh></si>"
                               "<si><t xml:space=\"preserve\">  spaced  </t></si>"
                               "<si><t>a,\"b\"</t></si>"
                               "<si><t>line_x000D_\nbreak</t></si>"
                               "<si><t>漢字</t><rPh sb=\"0\" eb=\"2\"><t>カンジ</t></rPh></si>";
    const std::string sheet =
        Row(1, {{"A1", "<v>0</v>", "s"}, {"B1", "<v>1</v>", "s"}, {"C1", "<v>5</v>", "s"}}) +
        Row(2, {{"A2", "<v>1803.4</v>"},
                {"B2", "<v>1E-3</v>"},
                {"D2", "<f>A2*2</f><v>3606.8</v>"},
                {"E2", "<v>45383</v>"}}) +
        Row(4, {{"A4", "<v>1</v>", "b"},
                {"B4", "<v>#DIV/0!</v>", "e"},
                {"C4", "<is><t>インライン</t></is>", "inlineStr"},
                {"D4", "<f>\"x\"&amp;\"y\"</f><v>xy</v>", "str"}}) +
        Row(5, {{"A5", "<v>2</v>", "s"}, {"B5", "<v>3</v>", "s"}, {"C5", "<v>4</v>", "s"}}) +
        Row(6, {{"A6", "<v></v>"}, {"C6", ""}}) +
        Row(7, {{"A7", "<is><t>あい</t></is>", "inlineStr"}}) +
        "<row r=\"9\"><c><v>7</v></c>"
        "<c><v>8</v></c></row>";
    const TSheetRead read = ReadWorkbook(WorkbookParts({{"調査", sheet}}, shared));
    ASSERT_TRUE(read.Opened.Problem.Ok()) << messages::InputProblem(read.Opened.Problem, "x");
    EXPECT_EQ(read.Opened.Format, TSurveyFormat::Workbook);
    EXPECT_EQ(read.Opened.SheetName, "調査");
    EXPECT_EQ(read.Rows, (TRows{{"地区", "エネルギー", "漢字"},
                                {"1803.4", "1E-3", "", "3606.8", "45383"},
                                {"1", "#DIV/0!", "インライン", "xy"},
                                {"spaced", "a,\"b\"", "line break"},
                                {"7", "8"}}));
    // One line per sheet row: rows 3 and 8 are missing, 6 is empty, and 7
    // holds hiragana only, which the reader skips as blank.
    EXPECT_EQ(read.Lines, (std::vector<std::int64_t>{1, 2, 4, 5, 9}));
    EXPECT_EQ(read.Skipped, (std::vector<std::int64_t>{7}));
}

TEST(Workbook, SheetsByNameOrNumber) {
    const auto one = [](const char* text) {
        return Row(1, {{"A1", std::string("<is><t>") + text + "</t></is>", "inlineStr"}});
    };
    TParts parts =
        WorkbookParts({{"表紙", one("cover")}, {"2", one("named two")}, {"データ", one("data")}});
    struct Case {
        std::string Sheet;
        std::string First;
        K Problem;
    } cases[] = {{"", "cover", K::None},        {"データ", "data", K::None},
                 {"3", "data", K::None},        {"2", "named two", K::None},
                 {"1", "cover", K::None},       {"4", "", K::NoSuchSheet},
                 {"Sheet1", "", K::NoSuchSheet}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Sheet);
        const TSheetRead read = ReadWorkbook(parts, c.Sheet);
        EXPECT_EQ(read.Opened.Problem.Kind, c.Problem);
        if (c.Problem == K::None) {
            EXPECT_EQ(read.Rows, (TRows{{c.First}}));
        }
    }
    TempFile file("", ".xlsx");
    ASSERT_TRUE(WriteZip(file.Path, parts));
    std::vector<std::string> names;
    TInputProblem problem;
    ASSERT_TRUE(ListSheets(file.Path, names, problem));
    EXPECT_EQ(names, (std::vector<std::string>{"表紙", "2", "データ"}));
}

// Problems inside a sheet name the sheet, the row and the column.
TEST(Workbook, RefusalsNameTheCell) {
    const std::string shared = "<si><t>ok</t></si><si><t>𠮷</t></si><si><t>unused 😀</t></si>";
    struct Case {
        const char* Name;
        std::string Sheet;
        K Kind;
        std::int64_t Row;
        std::int32_t Column;
    } cases[] = {
        {"shared text without a form",
         Row(1, {{"A1", "<v>0</v>", "s"}}) + Row(2, {{"C2", "<v>1</v>", "s"}}), K::NoCp932Form, 2,
         3},
        {"inline text without a form", Row(3, {{"AB3", "<is><t>😀</t></is>", "inlineStr"}}),
         K::NoCp932Form, 3, 28},
        {"shared index out of range", Row(1, {{"B1", "<v>3</v>", "s"}}), K::BadSharedText, 1, 2},
        {"shared index not a number", Row(1, {{"B1", "<v>-1</v>", "s"}}), K::BadSharedText, 1, 2},
        {"an unused text without a form is no problem", Row(1, {{"A1", "<v>0</v>", "s"}}), K::None,
         0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const TSheetRead read = ReadWorkbook(WorkbookParts({{"S", c.Sheet}}, shared));
        EXPECT_EQ(read.Opened.Problem.Kind, c.Kind);
        EXPECT_EQ(read.Opened.Problem.Row, c.Row);
        EXPECT_EQ(read.Opened.Problem.Column, c.Column);
        if (c.Kind != K::None) {
            EXPECT_EQ(read.Opened.Problem.Sheet, "S");
            EXPECT_EQ(read.Opened.Source, nullptr);
        }
    }
    TInputProblem p;
    p.Kind = K::NoCp932Form;
    p.Sheet = "S";
    p.Row = 3;
    p.Column = 28;
    p.Character = "😀";
    EXPECT_NE(
        messages::InputProblem(p, "b.xlsx").find("シート「S」の 3 行目、AB 列にある文字「😀」"),
        std::string::npos);
}
