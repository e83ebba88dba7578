#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "engine/CsvFile.h"
#include "tests/support/TempFile.h"

using namespace habitual;
using habitual::test::TempFile;

namespace {

using Rows = std::vector<std::vector<std::string>>;

struct ReadResult {
    Rows AllRows; // every row NextRow gives until the end
    int NRows = 0, MaxFields = 0;
};

ReadResult ReadAll(const std::string& bytes) {
    TempFile file(bytes);
    auto reader = std::make_unique<TCsvFile>();
    EXPECT_NE(reader->Open(file.Path.c_str(), "rt"), nullptr);
    reader->CountRows();
    ReadResult result{{}, reader->NRows, reader->MaxFields};
    for (;;) {
        reader->NextRow();
        if (reader->NFields < 0) break;
        result.AllRows.emplace_back(reader->Fields, reader->Fields + reader->NFields);
    }
    return result;
}

} // namespace

TEST(CsvFile, SplitsFieldsByTheQuoteAndSpaceRules) {
    struct Case {
        std::string Line;
        std::vector<std::string> Fields;
    } cases[] = {
        {"a,,b", {"a", "", "b"}},
        {"a,b,", {"a", "b", ""}},
        {",a", {"", "a"}},
        {"  a  ,  b", {"a", "b"}},
        {"\"a\"\"b\",c", {"a\"b", "c"}},
        {"\"  a  \",x", {"  a", "x"}},
        {"\"ab\"cd,e", {"ab", "cd", "e"}},
        {"\"ab\"  cd", {"ab", "cd"}},
        {"ab\"c\"d,e", {"ab\"c\"d", "e"}},
        {"\"ab\",\"\"", {"ab", ""}},
        {"\"a,b", {"a,b"}},
        {"a \"b,c\"", {"a \"b", "c\""}},
        {"a\tb", {"a\tb"}},
        {"a\rb,c\r", {"ab", "c"}},
        {"\x95\x5c,\"\x83\x5c\"", {"\x95\x5c", "\x83\x5c"}}, // 表, ソ: trail byte 0x5C
        {"x\x81,y", {"x\x81", "y"}},                         // lone lead byte before a comma
        {"\"x\x81\",y", {"x\x81", "y"}},                     // ... before a closing quote
        {std::string("a,b\0c,d", 7), {"a", "b"}},
    };
    for (const Case& c : cases) {
        const ReadResult r = ReadAll(c.Line + "\n");
        ASSERT_EQ(r.AllRows.size(), 1u) << c.Line;
        EXPECT_EQ(r.AllRows[0], c.Fields) << c.Line;
    }
}

TEST(CsvFile, SkipsLinesWithoutContent) {
    const std::string hiragana = "\x82\xa0\x82\xa2,\x82\xa4"; // あい,う: all bytes >= 0x80
    const ReadResult r =
        ReadAll("h1,h2\n\n   \n\"\",\"\"\n,,,\n" + hiragana + "\n\x01\x02\n1,2\n\x83\x41\n");
    EXPECT_EQ(r.AllRows, (Rows{{"h1", "h2"}, {"1", "2"}, {"\x83\x41"}})); // ア has trail 0x41
    EXPECT_EQ(r.NRows, 3);
}

TEST(CsvFile, CountsRowsUpToTheLastRowWithContent) {
    struct Case {
        std::string Bytes;
        int NRows, MaxFields;
    } cases[] = {
        {"h\n\n\n1\n2\n3\n", 4, 1},    {"h,i\r\n1,2,3\r\n4", 3, 3}, {"", 0, 0},
        {"\n \n,,\n", 0, 0},           {"h\n1\n\"\"x\n", 3, 2}, // "" then x: two fields
        {"h,i\n1,2\n\"  \",\n", 2, 2}, // quotes, spaces and a comma only: blank
        {"h,i\n1,2\n\"-\"\n", 3, 2},
    };
    for (const Case& c : cases) {
        const ReadResult r = ReadAll(c.Bytes);
        EXPECT_EQ(r.NRows, c.NRows) << c.Bytes;
        EXPECT_EQ(r.MaxFields, c.MaxFields) << c.Bytes;
    }
}

// The run reads its rows in one pass: the rows it reads as counting up to
// the last one that counts, the lines it tallies as skipped, and the bound
// it reserves for, all agree with the counting pass.
TEST(CsvFile, OnePassCountsAsTheCountingPassDoes) {
    const std::string cases[] = {
        "h\n\n\n1\n2\n3\n",
        "h,i\r\n1,2,3\r\n4",
        "",
        "\n \n,,\n",
        "h\n1\n\"\"x\n",
        "h,i\n1,2\n\"  \",\n",
        "h,i\n1,2\n\"-\"\n,,\n   \n",
        "h1,h2\n\x82\xa0\n1,2\n\x82\xa0,\x82\xa2\n",
        "a\nb\x1A\x82\xa0\nc\n",
        "h\n" + std::string(40000, 'x') + "\n" + std::string(16383, 'y'),
        "\r\r\n\ra\r",
    };
    for (const std::string& bytes : cases) {
        TempFile file(bytes);
        auto reader = std::make_unique<TCsvFile>();
        ASSERT_NE(reader->Open(file.Path.c_str(), "rt"), nullptr);
        reader->CountRows();
        const std::int32_t nRows = reader->NRows;
        const TRowTally skipped = reader->SkippedWithText;

        const std::int64_t bound = reader->RowBound();
        reader->SkippedWithText = {};
        std::int32_t read = 0, upToLastCounting = 0;
        bool counts = false;
        while (reader->ReadCountedRow(reader->Fields, TCsvFile::MaxRowFields, counts) >= 0) {
            ++read;
            if (counts) upToLastCounting = read;
        }
        EXPECT_EQ(upToLastCounting, nRows) << bytes;
        EXPECT_LE(read, bound) << bytes;
        EXPECT_EQ(reader->SkippedWithText.Count, skipped.Count) << bytes;
        for (int k = 0; k < TRowTally::Kept; ++k)
            EXPECT_EQ(reader->SkippedWithText.First[k], skipped.First[k]) << bytes;
    }
}

TEST(CsvFile, TextModeRules) {
    EXPECT_EQ(ReadAll("a,b\r\nc,d\r\n").AllRows, ReadAll("a,b\nc,d\n").AllRows);
    EXPECT_EQ(ReadAll("a\nb\x1A"
                      "c\nd\n")
                  .AllRows,
              (Rows{{"a"}, {"b"}}));
    EXPECT_EQ(ReadAll("a\nb").AllRows, (Rows{{"a"}, {"b"}}));
    EXPECT_EQ(ReadAll("\r\r\n\ra\r").AllRows, (Rows{{"a"}}));
}

TEST(CsvFile, LongLinesAreReadInPieces) {
    Rows r = ReadAll(std::string(16384, 'x') + "\n").AllRows;
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[0][0].size(), 16383u);
    EXPECT_EQ(r[1][0], "x");
    // CR bytes do not count towards the limit.
    r = ReadAll(std::string(16383, 'x') + "\r\n" + "y\n").AllRows;
    EXPECT_EQ(r, (Rows{{std::string(16383, 'x')}, {"y"}}));
}

TEST(CsvFile, FieldLimits) {
    std::string wide = "h\n";
    for (int i = 0; i < 1500; ++i) wide += (i ? ",v" : "v");
    const ReadResult r = ReadAll(wide + "\n");
    ASSERT_EQ(r.AllRows.size(), 2u);
    EXPECT_EQ(r.AllRows[1].size(), 1024u);
    EXPECT_EQ(r.MaxFields, 256);
    // 8,191 empty fields fill the text area exactly; nothing overruns it.
    const ReadResult commas = ReadAll("h\nx" + std::string(16382, ',') + "\n");
    EXPECT_EQ(commas.AllRows[1].size(), 1024u);
}

TEST(CsvFile, OpenFailsForMissingFilesAndFolders) {
    auto reader = std::make_unique<TCsvFile>();
    EXPECT_EQ(reader->Open("/nonexistent/survey.csv", "rt"), nullptr);
    EXPECT_EQ(reader->Open("/tmp", "rt"), nullptr);
    EXPECT_EQ(reader->File, nullptr);
}

TEST(CsvFile, RewindReadsAgainFromTheStart) {
    TempFile file("h\n1\n2\n");
    auto reader = std::make_unique<TCsvFile>();
    ASSERT_NE(reader->Open(file.Path.c_str(), "rt"), nullptr);
    for (int i = 0; i < 4; ++i) reader->NextRow();
    EXPECT_EQ(reader->NFields, -1);
    reader->Rewind();
    reader->NextRow();
    ASSERT_EQ(reader->NFields, 1);
    EXPECT_STREQ(reader->Fields[0], "h");
}
