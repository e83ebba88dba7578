// The survey's header row and the column references of the command line.
#pragma once

#include <string>
#include <vector>

#include "engine/SurveyInput.h"

namespace habitual {

struct THeader {
    std::vector<std::string> Texts; // header fields that can be chosen (CP932)
};

// Reads the header row of an opened survey as the window offers it (its
// first 256 fields) and leaves the survey at its start. False when it cannot
// be read.
bool ReadHeader(TOpenedSurvey& survey, THeader& header);

// The zero-based position named by ref (a column number from 1, a header
// text, or a label such as "3.性別"; UTF-8), or -1.
int ResolveColumn(const THeader& header, const std::string& ref);

} // namespace habitual
