#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "engine/ByteSource.h"
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

// The bytes of a string, for a reader that cannot read them twice at once.
class TOneWaySource : public TByteSource {
public:
    explicit TOneWaySource(std::string bytes) : Bytes(std::move(bytes)) {}
    std::size_t Read(unsigned char* buffer, std::size_t size) override {
        return Bytes.Read(buffer, size);
    }
    bool Rewind() override { return Bytes.Rewind(); }
    bool Failed() const override { return false; }
    std::uint64_t SizeHint() const override { return Bytes.SizeHint(); }

private:
    TMemorySource Bytes;
};

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

// A long survey is read by two readers, one from each side of a cut: their
// rows, counting flags and skipped lines, one after the other, are those of
// one reader, and each part keeps within its bound.
TEST(CsvFile, TwoReadersFromACutReadWhatOneReads) {
    struct Row {
        std::vector<std::string> Fields;
        bool Counts;
        bool operator==(const Row&) const = default;
    };
    auto readRows = [](TCsvFile& reader, std::vector<Row>& rows) {
        bool counts = false;
        for (int n;
             (n = reader.ReadCountedRow(reader.Fields, TCsvFile::MaxRowFields, counts)) >= 0;)
            rows.push_back({{reader.Fields, reader.Fields + n}, counts});
    };
    const std::string filler = "p,1\n\n\x82\xa0\n2,\"q\"\r\n,,\n";
    auto repeat = [](const std::string& s, int n) {
        std::string out;
        for (int i = 0; i < n; ++i) out += s;
        return out;
    };
    struct Case {
        std::string Bytes;
        bool Cut;
    } cases[] = {
        {"h\n" + repeat(filler, 20), true},
        {"h\n" + repeat(filler, 20) + "no final line feed", true},
        // A line longer than a piece around the middle.
        {"h\n" + repeat(filler, 3) + std::string(40000, 'x') + "\n" + repeat(filler, 3), true},
        {"h\n" + std::string(40000, 'x') + "\n" + std::string(40000, 'y') + "\n", true},
        // CR bytes on either side of the cut's line feed.
        {"h\r\n" + repeat("a,b\r\n\r", 30), true},
        // A 0x1A after the middle ends the second part; one before it, the data.
        {"h\n" + repeat(filler, 20) + "\x1A" + repeat(filler, 2), true},
        {"h\n" + repeat(filler, 10) + "x\x1Ay" + repeat(filler, 10), false},
        {"h\n" + repeat(filler, 10) + "\x1A\n" + repeat(filler, 10), false},
        {"h\n\x1A" + repeat(filler, 20), false},
        // No line feed at or after the middle.
        {"h\n" + std::string(1000, 'x'), false},
        {"", false},
    };
    for (const Case& c : cases) {
        auto one = std::make_unique<TCsvFile>();
        one->Attach(std::make_unique<TMemorySource>(c.Bytes));
        std::vector<Row> expected;
        readRows(*one, expected);

        auto first = std::make_unique<TCsvFile>();
        first->Attach(std::make_unique<TMemorySource>(c.Bytes));
        TRowSplit split;
        const std::int64_t bound = first->RowBound(&split);
        EXPECT_GE(bound, first->RowBound()) << c.Bytes;
        // Gone through in two halves at once or in one pass, the same cut.
        auto oneWay = std::make_unique<TCsvFile>();
        oneWay->Attach(std::make_unique<TOneWaySource>(c.Bytes));
        TRowSplit sameSplit;
        EXPECT_EQ(oneWay->RowBound(&sameSplit), bound) << c.Bytes;
        EXPECT_EQ(sameSplit.Offset, split.Offset) << c.Bytes;
        EXPECT_EQ(sameSplit.LinesBefore, split.LinesBefore) << c.Bytes;
        EXPECT_EQ(sameSplit.BoundBefore, split.BoundBefore) << c.Bytes;
        EXPECT_EQ(oneWay->ReaderFrom(sameSplit), nullptr);
        ASSERT_EQ(split.Offset != 0, c.Cut) << c.Bytes;
        std::vector<Row> rows;
        if (!c.Cut) continue;
        EXPECT_EQ(c.Bytes[split.Offset - 1], '\n');
        // The header first, as a run reads it, then the cut.
        bool counts = false;
        const int n = first->ReadCountedRow(first->Fields, TCsvFile::MaxRowFields, counts);
        ASSERT_GE(n, 0);
        rows.push_back({{first->Fields, first->Fields + n}, counts});
        ASSERT_LE(first->Position(), split.Offset);
        first->EndAt(split.Offset);
        std::unique_ptr<TCsvFile> second = first->ReaderFrom(split);
        ASSERT_NE(second, nullptr);
        readRows(*first, rows);
        const auto firstRows = static_cast<std::int64_t>(rows.size());
        readRows(*second, rows);
        EXPECT_EQ(rows.size(), expected.size()) << c.Bytes;
        for (std::size_t i = 0; i < rows.size() && i < expected.size(); ++i)
            EXPECT_EQ(rows[i], expected[i]) << c.Bytes << " row " << i;
        EXPECT_LE(firstRows, split.BoundBefore);
        EXPECT_LE(static_cast<std::int64_t>(rows.size()) - firstRows, bound - split.BoundBefore);
        TRowTally skipped = first->SkippedWithText;
        skipped.Append(second->SkippedWithText, 0);
        EXPECT_EQ(skipped.Count, one->SkippedWithText.Count) << c.Bytes;
        for (int k = 0; k < TRowTally::Kept; ++k)
            EXPECT_EQ(skipped.First[k], one->SkippedWithText.First[k]) << c.Bytes;
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
