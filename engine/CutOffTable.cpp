#include "engine/CutOffTable.h"

#include <algorithm>
#include <memory>

#include "engine/CsvFile.h"
#include "engine/Decimal.h"
#include "engine/Encoding.h"

namespace habitual {
namespace {

// The run keeps header texts cut at these lengths; the table's are cut alike
// before they are compared.
constexpr std::size_t ClassNameLimit = 63;
constexpr std::size_t ColumnNameLimit = 127;

std::string Cut(const std::string& text, std::size_t limit) {
    return text.substr(0, Cp932CutLength(text, limit));
}

bool IsAsciiSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

} // namespace

bool ValidCutOffText(const std::string& text) {
    int tokens = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsAsciiSpace(text[i])) ++i;
        if (i == text.size()) break;
        std::size_t end = i;
        while (end < text.size() && !IsAsciiSpace(text[end])) ++end;
        std::string_view token(text.data() + i, end - i);
        if (token.size() > 1 && token.back() == '-') token.remove_suffix(1);
        if (++tokens > 5 || !IsWholeNumber(token)) return false;
        i = end;
    }
    return true;
}

bool TCutOffTable::Read(const std::string& path, const TInputOptions& input,
                        const TSurveyOpener& open, TCutOffProblem& problem) {
    using K = TCutOffProblem::TKind;
    FilePath = path;
    ClassNames.clear();
    Rows.clear();
    problem = {};
    problem.Path = path;
    auto fail = [&](K kind, std::int64_t line = 0, std::int64_t other = 0) {
        ClassNames.clear();
        Rows.clear();
        problem.Kind = kind;
        problem.Line = line;
        problem.OtherLine = other;
        return false;
    };
    TOpenedSurvey opened = open ? open(path, input) : OpenCsvSurvey(path, input);
    if (!opened.Source) {
        problem.Input = opened.Problem;
        return fail(K::Unreadable);
    }
    auto reader = std::make_unique<TCsvFile>();
    reader->Attach(std::move(opened.Source));
    reader->NextRow();
    if (reader->ReadFailed()) return fail(K::Unreadable);
    const int headerFields = reader->NFields;
    if (headerFields < 2 || std::string(reader->Fields[headerFields - 2]) != Sjis("分析変数") ||
        std::string(reader->Fields[headerFields - 1]) != Sjis("カットオフ値"))
        return fail(K::NoHeader, reader->LineNo());
    for (int c = 0; c + 2 < headerFields; ++c) {
        ClassNames.emplace_back(reader->Fields[c]);
        if (ClassNames.back().empty()) return fail(K::EmptyName, reader->LineNo());
    }
    const auto nClasses = static_cast<std::size_t>(headerFields - 2);
    for (;;) {
        reader->NextRow();
        if (reader->NFields < 0) break;
        const std::int64_t line = reader->LineNo();
        if (reader->NFields > headerFields) return fail(K::TooManyCells, line);
        TRow row;
        row.Line = line;
        auto field = [&](std::size_t c) {
            return c < static_cast<std::size_t>(reader->NFields) ? std::string(reader->Fields[c])
                                                                 : std::string();
        };
        for (std::size_t c = 0; c < nClasses; ++c) {
            row.ClassTexts.push_back(field(c));
            if (!row.ClassTexts.back().empty()) ++row.Given;
        }
        // Cut as the run cuts the analysis column's name, once.
        row.Column = Cut(field(nClasses), ColumnNameLimit);
        row.CutOffs = field(nClasses + 1);
        if (row.Column.empty()) return fail(K::NoColumn, line);
        if (!ValidCutOffText(row.CutOffs)) {
            problem.Text = Cp932ToUtf8(row.CutOffs);
            return fail(K::BadCutOffs, line);
        }
        for (const TRow& before : Rows)
            if (before.ClassTexts == row.ClassTexts && before.Column == row.Column)
                return fail(K::SameRows, before.Line, line);
        Rows.push_back(std::move(row));
    }
    if (reader->ReadFailed()) return fail(K::Unreadable);
    return true;
}

bool TCutOffTable::Bind(const std::string (&runNames)[3], std::vector<int>& positions,
                        TCutOffProblem& problem) const {
    positions.clear();
    for (const std::string& name : ClassNames) {
        const std::string cut = Cut(name, ClassNameLimit);
        const auto* at = std::find(std::begin(runNames), std::end(runNames), cut);
        if (cut.empty() || at == std::end(runNames)) {
            problem = {};
            problem.Path = FilePath;
            problem.Kind = TCutOffProblem::TKind::UnknownClass;
            problem.Text = Cp932ToUtf8(name);
            return false;
        }
        positions.push_back(static_cast<int>(at - std::begin(runNames)));
    }
    return true;
}

const std::string* TCutOffTable::Find(const std::vector<int>& positions,
                                      const std::string (&classTexts)[3], const std::string& column,
                                      TCutOffProblem& problem) const {
    const TRow* best = nullptr;
    const TRow* tie = nullptr;
    for (const TRow& row : Rows) {
        if (row.Column != column) continue;
        bool matches = true;
        for (std::size_t c = 0; c < positions.size() && matches; ++c)
            matches = row.ClassTexts[c].empty() ||
                      row.ClassTexts[c] == classTexts[static_cast<std::size_t>(positions[c])];
        if (!matches) continue;
        if (!best || row.Given > best->Given) {
            best = &row;
            tie = nullptr;
        } else if (row.Given == best->Given && !tie) {
            tie = &row;
        }
    }
    if (tie) {
        problem = {};
        problem.Path = FilePath;
        problem.Kind = TCutOffProblem::TKind::Ambiguous;
        problem.Line = best->Line;
        problem.OtherLine = tie->Line;
        return nullptr;
    }
    return best ? &best->CutOffs : nullptr;
}

} // namespace habitual
