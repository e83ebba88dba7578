// The notices about how a survey was read, for the user of a load or a run:
// lines skipped as blank although they held text, and analysis fields that
// were empty or not numbers. Never part of the results document.
#pragma once

#include <string>

#include "engine/Notice.h"
#include "engine/RowTally.h"
#include "engine/SurveyInput.h"

namespace habitual {

// Lines the reader skipped as blank although they held text (by file line,
// or sheet row for a workbook).
TNotice SkippedLinesNotice(const TRowTally& lines, TSurveyFormat format);

// Analysis fields of a group that were empty or not numbers (by data row),
// analysed as 0 or, with skipMissing, left out. group: the group's
// classification pieces (UTF-8), "" for the whole file.
TNotice NotNumbersNotice(const TRowTally& rows, bool skipMissing, const std::string& group);

} // namespace habitual
