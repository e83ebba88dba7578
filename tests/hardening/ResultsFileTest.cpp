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
