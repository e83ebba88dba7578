// Every message the program shows its user about files, runs and memory, in
// UTF-8: the window shows them in its message boxes, the batch tool writes
// them to standard error. One home, so that both say the same.
#pragma once

#include <cstddef>
#include <string>

#include "engine/RunData.h"

namespace habitual {

// A rejected run, naming the file, the row and the limit where they matter,
// and what to do.
std::string RunErrorMessage(const TRunStatus& status, const std::string& fileName);

namespace messages {

// Literals: they can be shown when no more memory can be had. The first for
// a run, the second for any other command.
const char* OutOfMemory();
const char* MemoryShort();
// Loading a survey file into the window.
std::string SurveyNotFound(const std::string& path);
std::string SurveyLoadFailed(const std::string& path);
// A survey file that cannot be read as one (a character without a Shift-JIS
// form, bytes that are not UTF-8, a damaged workbook, ...), naming the row,
// the column and the character where they are known.
std::string InputProblem(const TInputProblem& problem, const std::string& path);
// Why a cut-off table cannot be used; path as the user named it (UTF-8).
std::string CutOffTableProblem(const TCutOffProblem& problem, const std::string& path);
// The batch tool's first look at the survey (its header row).
std::string SurveyUnreadable(const std::string& path);
std::string SurveyWithoutRows(const std::string& path);
// The window's questions ("確認" boxes).
std::string ConfirmClear();
std::string ConfirmOverwrite(const std::string& path);
std::string ConfirmExit();
// Results files in the window.
std::string ResultsNotOpened();
std::string ResultsNotSaved();
std::string ResultsCharactersReplaced(std::size_t count);
// Results written by the batch tool.
std::string ResultsNotWritten(const std::string& path);
std::string ResultsNotWrittenToStdout();
std::string ColumnsNotWritten();
std::string PrintFailed();
// Distribution plots, from the window and the batch tool.
std::string PlotFolderNotMade(const std::string& path);
std::string PlotNotWritten(const std::string& path);

} // namespace messages
} // namespace habitual
