// The lines the reports add for a group: its bootstrap intervals and, when
// asked for, its notices.
#pragma once

#include <string>
#include <vector>

#include "engine/CutOffs.h"
#include "engine/GroupIntervals.h"
#include "engine/Notice.h"
#include "engine/ResultLines.h"

namespace habitual {

// The standard report's block of intervals: a heading with the method, B,
// the seed, the level and the failed replicates (and, under the best power,
// how often each power was chosen), then one line per figure of the
// distribution table with the one-day and the habitual limits and standard
// errors, aligned for the fixed-pitch view.
void WriteIntervalBlock(const TGroupIntervals& iv, const std::vector<TCutOff>& cuts,
                        TResultLines& lines);

// The heading of the intervals in one line (CP932), for the summary.
std::string IntervalSummaryText(const TGroupIntervals& iv);

// One line per notice ("※注意：…", or "※参考：…" for information), enclosed in
// double quotes for the comma-separated forms.
void WriteNoticeLines(const std::vector<TNotice>& notices, bool quoted, TResultLines& lines);

} // namespace habitual
