// Opening results files that the program did not write: binary data and
// lines longer than the 511-byte line buffer.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "engine/Encoding.h"
#include "report/ResultsFile.h"
#include "tests/support/TempFile.h"

using namespace habitual;
using habitual::test::TempFile;

TEST(ResultsFileInput, BinaryDataOpensAsShortLinesAndSavesBack) {
    std::string bytes;
    for (int round = 0; round < 8; ++round)
        for (int b = 0; b < 256; ++b) bytes += static_cast<char>((b * 37 + round) & 0xFF);
    std::erase(bytes, '\x1A'); // the one end mark comes after them
    TempFile file(bytes + "\x1A"
                          "after the end mark",
                  ".txt");
    std::vector<std::string> lines;
    ASSERT_TRUE(ReadResultsFile(file.Path, lines));
    ASSERT_FALSE(lines.empty());
    std::string joined;
    for (const std::string& line : lines) {
        EXPECT_LE(line.size(), ResultsPieceLimit);
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
        EXPECT_EQ(Cp932ToUtf8(line).empty(), line.empty());
        joined += line;
    }
    std::string expected; // every byte but CR and LF comes back, in order
    for (char c : bytes)
        if (c != '\r' && c != '\n') expected += c;
    EXPECT_EQ(joined, expected);
    EXPECT_EQ(SplitResultsText(JoinResultsLines(lines)), lines);
}

// 500 double-byte characters: 511 bytes would end inside the 256th, so the
// first line takes 255 characters (510 bytes) and the second the rest.
TEST(ResultsFileInput, LongJapaneseLineIsCutBetweenCharacters) {
    std::string line;
    for (int i = 0; i < 500; ++i) line += "あ";
    const std::string sjis = Utf8ToCp932(line);
    ASSERT_EQ(sjis.size(), 1000u);
    TempFile file(sjis + "\r\n" + std::string(1000, 'x') + "\r\n", ".txt");
    std::vector<std::string> lines;
    ASSERT_TRUE(ReadResultsFile(file.Path, lines));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], sjis.substr(0, 510));
    EXPECT_EQ(lines[1], sjis.substr(510));
    EXPECT_EQ(lines[2].size(), 511u);
    EXPECT_EQ(lines[3].size(), 489u);
    EXPECT_EQ(Cp932ToUtf8(lines[0]) + Cp932ToUtf8(lines[1]), line);
}
