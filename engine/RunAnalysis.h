// One analysis run over a survey file: rows to records, records to groups,
// each group's heading lines, and the per-group analysis of each group of
// two or more records.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/Anova1Way.h"
#include "engine/Bootstrap.h"
#include "engine/CutOffTable.h"
#include "engine/GroupHeading.h"
#include "engine/GroupIntervals.h"
#include "engine/GroupResult.h"
#include "engine/Notice.h"
#include "engine/ResultLines.h"
#include "engine/RunData.h"
#include "engine/Settings.h"
#include "engine/SurveyInput.h"

namespace habitual {

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
    // Bootstrap confidence intervals of the groups whose habitual
    // distribution is shown; off unless Replicates is set. Its Progress is
    // called with the share of the whole run's resampling done.
    TBootstrapOptions Bootstrap;
    // Whether the reports write the groups' notices into the document too.
    bool NoticesInDocument = false;
    // The analysis columns: the settings' NutrientColumn unless a list (or
    // every numeric column) is given. Several columns give the documents of
    // their single runs one after the other.
    TColumnChoice Columns;
    // Cut-off texts by group and column in place of the settings' text
    // where a row of the table matches (not owned).
    const TCutOffTable* CutOffs = nullptr;
    // Groups analysed at once (0: one per core); the document is the same
    // with any number. A run with a bootstrap analyses one group at a time,
    // resampling on its Threads.
    std::int32_t Threads = 0;
    // Where the run adds the times of its stages, if anywhere (not owned).
    TStageTimes* Times = nullptr;
};

// What a run tells the analysis of one group, and what the analysis hands
// back to it.
struct TGroupRun {
    std::int32_t GroupIndex = 0; // among the column's groups, in their order
    const TRunOptions* Options = nullptr;
    const TGroupHeading* Heading = nullptr;
    // The first group of the run to be analysed, and the most cut-offs any
    // group of the run has (for a table of every group).
    bool FirstAnalysed = false;
    int MostCutOffs = 0;
    // The share of this group's resampling done; false: stop the run.
    std::function<bool(double done)> Progress;
    // Filled by the analysis: the intervals when it resampled the group,
    // the group's notices (Group left for the run to fill), and whether it
    // was stopped.
    std::optional<TGroupIntervals> Intervals;
    std::vector<TNotice> Notices;
    bool Cancelled = false;
};

// The per-group analysis a run calls for each group of two or more records:
// the workspace holds the group (Records[0 .. NData)), and the analysis
// appends the group's report to lines. It may be called on several threads
// at once (each with a workspace and lines of its own) unless the run's
// Threads is 1: what it shares with other calls must be safe for that.
using TGroupAnalysis = std::function<void(TAnova1Way& ctx, const TAnalysisSettings& settings,
                                          TResultLines& lines, TGroupRun& run)>;

// Performs one run. For each analysis column, appends the heading lines of
// every group to lines (but for the summary table) and calls analyseGroup
// for each group of two or more records. A rejected run appends nothing,
// and neither does a run stopped through the progress of its bootstrap: a
// run that can be stopped keeps its lines until its end. Groups may be
// analysed on several threads, each in a workspace of its own; what they
// write, tell and hand back reaches the caller in the order of the groups.
TRunStatus RunAnalysis(const TAnalysisSettings& settings, TResultLines& lines,
                       const TGroupAnalysis& analyseGroup, const TRunOptions& options = {});

} // namespace habitual
