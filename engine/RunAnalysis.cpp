#include "engine/RunAnalysis.h"

#include <memory>
#include <new>

#include "engine/Encoding.h"
#include "engine/InputNotices.h"

namespace habitual {
namespace {

// What the reading of the survey has to tell: the file's lines first, then
// each group's analysis fields, in the order of the groups.
void TellInputNotices(const TRunData& run, const TAnalysisSettings& settings,
                      const TRunOptions& options) {
    if (!options.Notice) return;
    if (run.SkippedWithText.Count > 0)
        options.Notice(SkippedLinesNotice(run.SkippedWithText, run.Format));
    TGroupHeading heading;
    for (const TNotNumbers& missing : run.Missing) {
        MakeHeading(run, settings, missing.ClassKey, heading);
        options.Notice(NotNumbersNotice(missing.Rows, options.Input.SkipMissing,
                                        Cp932ToUtf8(heading.ClassPieces())));
    }
}

TRunStatus Run(const TAnalysisSettings& settings, TResultLines& lines,
               const TGroupAnalysis& analyseGroup, const TRunOptions& options) {
    auto run = std::make_unique<TRunData>();
    if (const TRunStatus status = run->Read(settings, options.Input, options.Open); !status.Ok())
        return status;
    TellInputNotices(*run, settings, options);

    // One workspace serves every group; it is as large as the largest.
    auto ctx = std::make_unique<TAnova1Way>();
    if (!ctx->Allocate(run->LargestGroup())) return {TRunError::OutOfMemory};
    TGroupHeading heading;
    for (const TGroupRange& group : run->Groups) {
        MakeHeading(*run, settings, group, heading);
        AppendHeading(lines, heading);
        if (group.Size() < 2) continue;
        run->FillGroup(group, *ctx);
        analyseGroup(*ctx, settings, lines);
        if (options.GroupDone)
            options.GroupDone(CaptureGroupResult(*ctx, settings, heading, options.WithValues));
    }
    return {};
}

} // namespace

TRunStatus RunAnalysis(const TAnalysisSettings& settings, TResultLines& lines,
                       const TGroupAnalysis& analyseGroup, const TRunOptions& options) {
    try {
        return Run(settings, lines, analyseGroup, options);
    } catch (const std::bad_alloc&) {
        return {TRunError::OutOfMemory};
    }
}

} // namespace habitual
