// An Excel workbook (.xlsx) read as a survey: its worksheets by name, and a
// sheet turned into the comma-separated CP932 rows that the survey reader
// takes, one line per sheet row.
//
// How a cell becomes a field, so that a sheet reads as the same table saved
// as CSV by the spreadsheet would:
// - a number is its text as the workbook stores it ("1803.4", "1E-3"); a
//   date is its stored serial number, a formula its stored last value, a
//   truth value 1 or 0, an error value its text ("#DIV/0!");
// - a text (shared or inline; phonetic guides left out) is written as it
//   stands, in double quotes with its quotes doubled when it holds a comma or
//   a double quote; the reader then drops the spaces at its end, and at its
//   start unless quoted, as it does for a CSV field;
// - line breaks and other control characters but the tab become a space
//   (the reader takes one line per row);
// - an empty or missing cell is an empty field; a row ends after its last
//   cell that holds something, and a missing row is an empty line.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/SurveyInput.h"
#include "import/Zip.h"

namespace habitual {

struct TSheetInfo {
    std::string Name; // UTF-8
    std::string Part; // its part in the container
};

class TWorkbook {
public:
    // Reads the list of worksheets. nullptr with problem set when the file is
    // no workbook that can be read.
    static std::unique_ptr<TWorkbook> Open(const std::string& path, TInputProblem& problem);

    const std::vector<TSheetInfo>& Sheets() const { return SheetList; }
    // Marks a shared text that has no CP932 form (in SharedEnds).
    static constexpr std::uint64_t NoForm = std::uint64_t{1} << 63;
    // The sheet named text, or failing that numbered by it (from 1); the
    // first for an empty text. -1 when there is none.
    int FindSheet(const std::string& text) const;
    // The sheet as rows (CP932 bytes), holding at most memoryLimit bytes for
    // the rows and the shared texts. False with problem set otherwise.
    bool ReadSheet(int index, std::uint64_t memoryLimit, std::string& rows, TInputProblem& problem);

private:
    explicit TWorkbook(std::unique_ptr<TZipArchive> archive) : Archive(std::move(archive)) {}
    bool ReadSharedTexts(std::uint64_t memoryLimit, TInputProblem& problem);

    std::unique_ptr<TZipArchive> Archive;
    std::vector<TSheetInfo> SheetList;
    std::string SharedPart; // empty when the workbook has no shared texts

    friend class TSheetRows;
    // The shared texts as fields: their bytes one after another, the end of
    // each; a text without a CP932 form ends with NoForm set and its
    // character in NoFormCharacters.
    std::string SharedBytes;
    std::vector<std::uint64_t> SharedEnds;
    std::unordered_map<std::uint64_t, std::string> NoFormCharacters;
    bool SharedRead = false;
};

} // namespace habitual
