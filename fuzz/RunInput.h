// The input of the fuzz targets that run a whole analysis: the settings
// first (see ReadSettings), the rest is the survey file.
#pragma once

#include <climits>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/LineFormat.h"
#include "engine/ResultLines.h"
#include "engine/RunData.h"
#include "engine/Settings.h"
#include "engine/UserMessages.h"
#include "fuzz/FuzzSupport.h"

namespace habitual::fuzz {

class TInput {
public:
    TInput(const std::uint8_t* data, std::size_t size) : Data(data), Size(size) {}
    std::uint8_t Byte() { return Pos < Size ? Data[Pos++] : 0; }
    // Bytes up to a NUL (not included) or the end, at most limit of them.
    std::string Text(std::size_t limit) {
        std::string text;
        while (Pos < Size && Data[Pos] != 0 && text.size() < limit)
            text += static_cast<char>(Data[Pos++]);
        if (Pos < Size && Data[Pos] == 0) ++Pos;
        return text;
    }
    std::string_view Rest() const {
        return {reinterpret_cast<const char*>(Data) + Pos, Size - Pos};
    }

private:
    const std::uint8_t* Data;
    std::size_t Size;
    std::size_t Pos = 0;
};

// Mostly the first few columns and -1, sometimes a position at or beyond a
// limit of the reader or far out of range.
inline std::int32_t Column(std::uint8_t b) {
    static const std::int32_t far[] = {255, 256, 1023, 1024, INT_MAX, INT_MIN, -2, 16383};
    if (b >= 0xF8) return far[b - 0xF8];
    return static_cast<std::int32_t>(b % 12) - 1;
}

// Settings layout: 4 ID columns, 3 classification columns, the analysis
// column (one byte each), method, variance option and output form (one byte
// each), then PowerText, VWText, VWBRatioText and CutOffText, each ended by
// a NUL byte.
inline TAnalysisSettings ReadSettings(TInput& in) {
    TAnalysisSettings s;
    for (auto& c : s.IdColumns) c = Column(in.Byte());
    for (auto& c : s.ClassColumns) c = Column(in.Byte());
    s.NutrientColumn = Column(in.Byte());
    s.NormalizeMethod = in.Byte() % 4;
    s.HendoMode = in.Byte() % 3;
    const std::uint8_t out = in.Byte();
    s.OutType = out == 0xFF ? 7 : out % 3; // 7: a form that writes nothing
    s.PowerText = in.Text(600);
    s.VWText = in.Text(600);
    s.VWBRatioText = in.Text(600);
    s.CutOffText = in.Text(1200);
    return s;
}

// What every run must leave: a rejected run writes nothing and has a message
// to show; every line is at most 511 bytes, does not end in the first byte
// of a double-byte character, and holds no line break or NUL, which would
// change the document when it is saved and opened again.
inline void CheckRunDocument(const TRunStatus& status, const TMemoryResultLines& lines,
                             const std::string& fileName) {
    if (!status.Ok()) {
        FUZZ_CHECK(lines.Lines.empty());
        FUZZ_CHECK(!RunErrorMessage(status, fileName).empty());
        return;
    }
    for (const std::string& line : lines.Lines) {
        FUZZ_CHECK(line.size() <= LineLimit);
        FUZZ_CHECK(!EndsWithLoneLeadByte(line));
        FUZZ_CHECK(line.find_first_of(std::string_view("\n\r\0\x1A", 4)) == std::string::npos);
    }
}

} // namespace habitual::fuzz
