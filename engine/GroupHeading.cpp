#include "engine/GroupHeading.h"

#include <algorithm>

#include "engine/Encoding.h"
#include "engine/LineFormat.h"

namespace habitual {

const char* KeyPart(std::string_view key, int n) {
    thread_local char part[256];
    std::size_t len = 0;
    int current = 1;
    for (char c : key) {
        if (c == '\x01') {
            if (current == n) break;
            ++current;
        } else if (current == n && len < sizeof part - 1) {
            part[len++] = c;
        }
    }
    part[len] = '\0';
    return part;
}

void MakeHeading(const TRunData& run, const TAnalysisSettings& settings, const TGroupRange& group,
                 TGroupHeading& heading, std::size_t column) {
    MakeHeading(run, settings, group.ClassKey, heading, column);
}

void MakeHeading(const TRunData& run, const TAnalysisSettings& settings, TKey classKey,
                 TGroupHeading& heading, std::size_t column) {
    heading.NutrientName = run.Columns[column].Name;
    const std::string_view key = run.Keys.Text(classKey);
    for (int k = 0; k < 3; ++k) {
        heading.ClassNames[k] = run.ClassNames[k];
        heading.ClassTexts[k] = KeyPart(key, k + 1);
    }
    heading.ClassLine =
        std::any_of(std::begin(settings.ClassColumns), std::end(settings.ClassColumns),
                    [](std::int32_t c) { return c >= 0; });
}

std::string TGroupHeading::ClassPieces() const {
    std::string pieces, piece;
    for (int k = 0; k < 3; ++k) {
        if (ClassNames[k].empty()) continue;
        FormatLine(piece, "[%s=%s]", {ClassNames[k], ClassTexts[k]});
        pieces += piece;
    }
    return pieces;
}

std::vector<std::string> TGroupHeading::Lines() const {
    static const std::string& rule =
        Sjis("============================================================");
    static const std::string& nutrientFormat = Sjis("分析変数：[%s]");
    static const std::string& classHead = Sjis("分類変数：");
    std::vector<std::string> lines{rule, FormatLine(nutrientFormat, {NutrientName})};
    if (ClassLine) {
        std::string line = classHead + ClassPieces();
        CutToLine(line);
        lines.push_back(std::move(line));
    }
    return lines;
}

void AppendHeading(TResultLines& lines, const TGroupHeading& heading) {
    for (const std::string& line : heading.Lines()) lines.Add(line);
}

} // namespace habitual
