// Any survey file the program reads: a comma-separated file (Shift-JIS or
// UTF-8) or a sheet of an Excel workbook. The window and the batch tool open
// surveys here; the engine reads what comes back through its one reader.
#pragma once

#include <string>
#include <vector>

#include "engine/SurveyInput.h"

namespace habitual {

// Whether path holds a workbook (or what claims to be one: its name ends in
// .xlsx, or its first bytes are those of a zip archive or of an
// Excel 97-2003 / password-protected workbook).
bool IsWorkbookFile(const std::string& path);

// The names of a workbook's worksheets in order (UTF-8). False with problem
// set when it cannot be read.
bool ListSheets(const std::string& path, std::vector<std::string>& names, TInputProblem& problem);

// Opens a survey: a workbook's sheet (options.Sheet), read whole into rows
// at once, or a comma-separated file (OpenCsvSurvey).
TOpenedSurvey OpenSurvey(const std::string& path, const TInputOptions& options);

} // namespace habitual
