// A table of cut-off texts per group and analysis column, for assessments
// against reference values that differ by sex and age (an estimated average
// requirement, a tolerable upper level).
//
// The file is a survey-like table (CP932, UTF-8 or a workbook sheet, opened
// as a survey is): a header naming classification columns of the survey by
// their header texts (any of the run's, in any order), then 分析変数 and
// カットオフ値; each row gives class texts, an analysis column's header text
// and a cut-off text in the program's own syntax ("6.0-" for the share below
// 6.0, "2500" for the share at or above 2500, up to five values). An empty
// class cell matches every text of its column. For a group and column, the
// matching row with the most class cells given decides; two such rows are
// an error; no matching row leaves the run's own cut-off text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/SurveyInput.h"

namespace habitual {

// Why a table cannot be used, for the user's message.
struct TCutOffProblem {
    enum class TKind {
        None,
        Unreadable, // the file cannot be opened or read (Input says why, when it can)
        NoHeader,   // no header row, or one without 分析変数 and カットオフ値 at its end
        EmptyName,  // a classification column without a name in the header
        TooManyCells, // a row with more fields than the header (Line)
        NoColumn,     // a row without the analysis column's name (Line)
        BadCutOffs,   // a cut-off text that is not up to five numbers, each maybe ending in "-"
        SameRows,     // two rows for the same class texts and column (Line, OtherLine)
        UnknownClass, // a header name that is none of the run's classification columns (Text)
        Ambiguous,    // two rows match a group equally well (Line, OtherLine, Text the group)
    };
    TKind Kind = TKind::None;
    std::int64_t Line = 0, OtherLine = 0; // file lines (sheet rows), from 1
    std::string Text;                     // UTF-8
    std::string Path;                     // the table's, as its reader was given it
    TInputProblem Input;

    bool Ok() const { return Kind == TKind::None; }
};

class TCutOffTable {
public:
    // One row of the table: CP932 texts.
    struct TRow {
        std::int64_t Line = 0;
        std::vector<std::string> ClassTexts; // by the table's class columns; "" matches any
        std::string Column;  // the analysis column's header text, cut as the run cuts it
        std::string CutOffs; // the cut-off text
        int Given = 0;       // class cells given
    };

    // Reads the table at path, opened by open (a CSV file when empty).
    // False, with problem set, when it cannot be used; the table is then empty.
    bool Read(const std::string& path, const TInputOptions& input, const TSurveyOpener& open,
              TCutOffProblem& problem);

    bool Empty() const { return Rows.empty() && ClassNames.empty(); }
    const std::string& Path() const { return FilePath; }
    const std::vector<TRow>& TableRows() const { return Rows; }
    const std::vector<std::string>& TableClassNames() const { return ClassNames; }

    // The table's class columns as positions among a run's classification
    // columns (runNames: their header texts, "" where none is chosen); false
    // with problem for a name that is none of them.
    bool Bind(const std::string (&runNames)[3], std::vector<int>& positions,
              TCutOffProblem& problem) const;

    // The cut-off text for a group (its texts in the run's classification
    // columns) and analysis column, through positions from Bind: the row
    // that decides, or nullptr when no row matches. Two rows that match
    // equally well set problem and give nullptr.
    const std::string* Find(const std::vector<int>& positions, const std::string (&classTexts)[3],
                            const std::string& column, TCutOffProblem& problem) const;

private:
    std::string FilePath;
    std::vector<std::string> ClassNames; // CP932 header texts
    std::vector<TRow> Rows;
};

// Whether text is up to five cut-off values, each a number that may end in
// "-" (an empty text is no cut-off at all).
bool ValidCutOffText(const std::string& text);

} // namespace habitual
