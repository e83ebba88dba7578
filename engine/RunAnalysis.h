// One analysis run over a survey file: rows to records, records to groups,
// each group's heading lines, and the per-group analysis of each group of
// two or more records.
#pragma once

#include <functional>
#include <string>

#include "engine/Anova1Way.h"
#include "engine/GroupResult.h"
#include "engine/Notice.h"
#include "engine/ResultLines.h"
#include "engine/RunData.h"
#include "engine/Settings.h"
#include "engine/SurveyInput.h"

namespace habitual {

// The per-group analysis a run calls for each group of two or more records:
// the workspace holds the group (Records[0 .. NData)), and the analysis
// appends the group's report to lines.
using TGroupAnalysis =
    std::function<void(TAnova1Way& ctx, const TAnalysisSettings& settings, TResultLines& lines)>;

// What a caller may ask of a run besides its document.
struct TRunOptions {
    // Called after each analysed group, in the order of the groups, with the
    // group's results.
    std::function<void(TGroupResult result)> GroupDone;
    // Whether the results carry the group's values (for plots).
    bool WithValues = false;
    // Called for each notice the run has for its user, in the order found.
    std::function<void(TNotice notice)> Notice;
    // How the survey is read, and what opens it (a CSV file when empty).
    TInputOptions Input;
    TSurveyOpener Open;
};

// Performs one run. Appends the heading lines of every group to lines and
// calls analyseGroup for each group of two or more records. A rejected run
// appends nothing.
TRunStatus RunAnalysis(const TAnalysisSettings& settings, TResultLines& lines,
                       const TGroupAnalysis& analyseGroup, const TRunOptions& options = {});

} // namespace habitual
