// The heading of a group in the results document: the rule, the analysis
// column's name and, when classification columns are used, the group's
// classification texts.
#pragma once

#include <string>
#include <vector>

#include "engine/ResultLines.h"
#include "engine/RunData.h"

namespace habitual {

// CP932 texts.
struct TGroupHeading {
    std::string NutrientName;  // header text of the analysis column
    std::string ClassNames[3]; // header texts of the classification columns; "" unused
    std::string ClassTexts[3]; // the group's texts in them
    bool ClassLine = false;    // whether a classification column is used at all

    // The heading lines as the document shows them.
    std::vector<std::string> Lines() const;
    // The classification pieces alone, "[性別=1][年齢階級=20]"; "" without any.
    std::string ClassPieces() const;
};

// Fills heading (reusing its texts' room) for a group of the run in its
// analysis column k.
void MakeHeading(const TRunData& run, const TAnalysisSettings& settings, const TGroupRange& group,
                 TGroupHeading& heading, std::size_t k = 0);
// The same for a classification key of the run.
void MakeHeading(const TRunData& run, const TAnalysisSettings& settings, TKey classKey,
                 TGroupHeading& heading, std::size_t k = 0);

// Appends the heading lines to the document.
void AppendHeading(TResultLines& lines, const TGroupHeading& heading);

// Part n (from 1) of a key whose parts are separated by 0x01; the empty text
// when the key has no such part. Valid until the next call on this thread.
const char* KeyPart(std::string_view key, int n);

} // namespace habitual
