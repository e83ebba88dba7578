// Workbooks that are damaged, forged or too large: each ends in its message,
// with nothing read, and none exhausts memory (zip bombs, entity expansion).
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "engine/UserMessages.h"
#include "import/SurveyFile.h"
#include "tests/support/CliRunner.h"
#include "tests/support/WorkbookFile.h"

using namespace habitual;
using namespace habitual::test;
using K = TInputProblem::TKind;

namespace {

const std::string GoodSheet = Row(1, {{"A1", "<v>1</v>"}, {"B1", "<v>2</v>"}});

TOpenedSurvey OpenBytes(const std::string& bytes, const char* suffix,
                        std::uint64_t limit = TInputOptions{}.MemoryLimit) {
    TempFile file(bytes, suffix);
    TInputOptions options;
    options.MemoryLimit = limit;
    return OpenSurvey(file.Path, options);
}

std::string ZipBytes(const TParts& parts) {
    TempFile file("", ".xlsx");
    EXPECT_TRUE(WriteZip(file.Path, parts));
    return file.Read();
}

// Sets the uncompressed size of the named part, in its local header and in
// the central directory, to size.
std::string WithDeclaredSize(std::string zip, const std::string& part, std::uint32_t size) {
    auto put = [&](std::size_t at) {
        for (int i = 0; i < 4; ++i) zip[at + i] = static_cast<char>((size >> (8 * i)) & 0xFF);
    };
    for (std::size_t at = zip.find(part); at != std::string::npos; at = zip.find(part, at + 1)) {
        if (at >= 30 && zip.compare(at - 30, 4, "PK\x03\x04") == 0) put(at - 30 + 22);
        if (at >= 46 && zip.compare(at - 46, 4, "PK\x01\x02") == 0) put(at - 46 + 24);
    }
    return zip;
}

} // namespace

TEST(BadWorkbook, DamagedOrForgedFilesAreRefused) {
    const std::string good = ZipBytes(WorkbookParts({{"S", GoodSheet}}));
    TParts doctype = WorkbookParts({{"S", GoodSheet}});
    // The classic entity expansion: refused at its declaration, never expanded.
    doctype["xl/worksheets/sheet1.xml"] =
        "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
        "\"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
        "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e "
        "\"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">]><worksheet><sheetData><row r=\"1\"><c "
        "t=\"inlineStr\">"
        "<is><t>&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;</t></is></c></row></sheetData></worksheet>";
    TParts external = WorkbookParts({{"S", GoodSheet}});
    external["xl/worksheets/sheet1.xml"] =
        "<?xml version=\"1.0\"?><!DOCTYPE w SYSTEM \"file:///etc/passwd\"><worksheet/>";
    TParts malformed = WorkbookParts({{"S", GoodSheet + "<row>"}});
    TParts noWorkbook = WorkbookParts({{"S", GoodSheet}});
    noWorkbook.erase("xl/workbook.xml");
    TParts noSheetPart = WorkbookParts({{"S", GoodSheet}});
    noSheetPart.erase("xl/worksheets/sheet1.xml");
    TParts rowsBackwards = WorkbookParts({{"S", Row(2, {{"A2", "<v>1</v>"}}) + GoodSheet}});
    TParts cellsBackwards =
        WorkbookParts({{"S", Row(1, {{"B1", "<v>1</v>"}, {"A1", "<v>2</v>"}})}});
    TParts farRow = WorkbookParts({{"S", Row(99999999, {{"A99999999", "<v>1</v>"}})}});
    TParts farColumn = WorkbookParts({{"S", Row(1, {{"ZZZZ1", "<v>1</v>"}})}});
    std::string compound("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    compound.resize(512, '\0');
    TParts sharedMissing = WorkbookParts({{"S", Row(1, {{"A1", "<v>0</v>", "s"}})}}, "<si/>");
    sharedMissing.erase("xl/sharedStrings.xml");
    TParts sharedNone = WorkbookParts({{"S", Row(1, {{"A1", "<v>0</v>", "s"}})}});
    struct Case {
        const char* Name;
        std::string Bytes;
        const char* Suffix;
        K Kind;
    } cases[] = {
        {"text named .xlsx", "a,b\n1,2\n", ".xlsx", K::Damaged},
        {"empty file named .xlsx", "", ".xlsx", K::Damaged},
        {"truncated archive", good.substr(0, good.size() / 2), ".xlsx", K::Damaged},
        {"archive without its directory", good.substr(0, good.size() - 22), ".xlsx", K::Damaged},
        {"flipped bytes",
         [&] {
             std::string b = good;
             for (std::size_t i = 60; i < b.size() - 200; i += 97) b[i] = static_cast<char>(~b[i]);
             return b;
         }(),
         ".xlsx", K::Damaged},
        {"password-protected workbook", compound, ".xlsx", K::Encrypted},
        {"Excel 97-2003 workbook", compound, ".xls", K::OldWorkbook},
        {"entity expansion", ZipBytes(doctype), ".xlsx", K::Damaged},
        {"external document type", ZipBytes(external), ".xlsx", K::Damaged},
        {"malformed XML", ZipBytes(malformed), ".xlsx", K::Damaged},
        {"no workbook part", ZipBytes(noWorkbook), ".xlsx", K::Damaged},
        {"no sheet part", ZipBytes(noSheetPart), ".xlsx", K::Damaged},
        {"rows out of order", ZipBytes(rowsBackwards), ".xlsx", K::Damaged},
        {"cells out of order", ZipBytes(cellsBackwards), ".xlsx", K::Damaged},
        {"row beyond any sheet", ZipBytes(farRow), ".xlsx", K::Damaged},
        {"column beyond any sheet", ZipBytes(farColumn), ".xlsx", K::Damaged},
        {"shared texts part missing", ZipBytes(sharedMissing), ".xlsx", K::Damaged},
        {"no shared texts at all", ZipBytes(sharedNone), ".xlsx", K::BadSharedText},
        {"part longer than declared", WithDeclaredSize(good, "xl/worksheets/sheet1.xml", 10),
         ".xlsx", K::Damaged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const TOpenedSurvey opened = OpenBytes(c.Bytes, c.Suffix);
        EXPECT_EQ(opened.Source, nullptr);
        EXPECT_EQ(opened.Problem.Kind, c.Kind);
        EXPECT_FALSE(messages::InputProblem(opened.Problem, "f").empty());
    }
}

// What would need more than the memory limit is refused before it is held:
// a part declaring more than the limit allows, a sheet whose rows outgrow it
// (one long shared text named by every cell), shared texts beyond it.
TEST(BadWorkbook, ZipBombsAndLargeSheetsStayWithinTheLimit) {
    const std::uint64_t limit = 1 << 20;
    std::string spaces(std::size_t{64} << 20, ' '); // deflates to some 64 KB
    TParts bomb = WorkbookParts({{"S", GoodSheet + spaces}});
    spaces = {};
    std::string cells;
    for (int r = 1; r <= 200; ++r) {
        std::vector<std::vector<std::string>> row;
        for (const char* column : {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J"})
            row.push_back({column + std::to_string(r), "<v>0</v>", "s"});
        cells += Row(r, row);
    }
    TParts amplified =
        WorkbookParts({{"S", cells}}, "<si><t>" + std::string(4000, 'x') + "</t></si>");
    std::string many;
    for (int i = 0; i < 3000; ++i) many += "<si><t>" + std::string(400, 'y') + "</t></si>";
    TParts sharedTooLarge = WorkbookParts({{"S", GoodSheet}}, many);
    for (const TParts* parts : {&bomb, &amplified, &sharedTooLarge}) {
        const TOpenedSurvey opened = OpenBytes(ZipBytes(*parts), ".xlsx", limit);
        EXPECT_EQ(opened.Source, nullptr);
        EXPECT_EQ(opened.Problem.Kind, K::TooLarge);
        EXPECT_EQ(opened.Problem.Limit, limit);
    }
    // The same workbooks within a larger limit read.
    EXPECT_NE(OpenBytes(ZipBytes(amplified), ".xlsx", 64 << 20).Source, nullptr);
}

TEST(BadWorkbook, BatchToolSaysWhyAndWritesNothing) {
    TParts parts = WorkbookParts({{"S", GoodSheet}});
    TempFile book("", ".xlsx");
    ASSERT_TRUE(WriteZip(book.Path, parts));
    TempFile text("a,b\n1,2\n", ".xlsx");
    struct Case {
        std::vector<std::string> Args;
        int Status;
        const char* Message;
    } cases[] = {
        {{text.Path, "--nutrient", "2"}, 1, "Excel ブック（.xlsx）として読めない形です"},
        {{book.Path, "--nutrient", "2", "--sheet", "Sheet9"}, 1, "にシート「Sheet9」はありません"},
        {{book.Path, "--nutrient", "2", "--sheet", ""}, 2, "--sheet には"},
    };
    for (const Case& c : cases) {
        const Outcome o = RunTool(c.Args);
        EXPECT_EQ(o.Status, c.Status) << o.Err;
        EXPECT_NE(o.Err.find(c.Message), std::string::npos) << o.Err;
        EXPECT_TRUE(o.Out.empty());
    }
}
